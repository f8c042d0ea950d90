// TObject and TComponent: the ownership tree every window and component lives in.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Events.h"

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class's name as the layouts spell it (TForm, TPanel, ...).
    virtual const char* ClassName() const { return "TObject"; }
};

enum class TOperation { opInsert, opRemove };

// A component is created with an owner that destroys it; owned components
// are destroyed in reverse order of creation. Destroying a component
// directly (delete) takes it out of its owner first.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int Tag = 0;

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_[static_cast<size_t>(index)].get(); }
    TComponent* FindComponent(const std::string& name) const;

    // Loading from a layout: set while properties are applied; Loaded() follows.
    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    void BeginLoading() { loading_ = true; }
    void EndLoading() { loading_ = false; Loaded(); }

    // Also tell `other` when this component goes away (for references between components).
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Destroys every owned component now, last created first.
    void DestroyComponents();

    // Tells the owner's other components that this one has joined their
    // owner (Notification with opInsert). Classes whose arrival siblings
    // watch for call it at the end of their constructor: while TComponent's
    // constructor runs (and the owner is told) the object is not yet of its
    // own class.
    void AnnounceInsertion();

protected:
    virtual void Loaded() {}
    // Sent to the owner for components inserted/removed, and to every
    // component that asked for FreeNotification when one goes away.
    virtual void Notification(TComponent* component, TOperation operation);
    void MarkDestroying() { destroying_ = true; }

private:
    int IndexOfOwned(const TComponent* component) const;
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

