// TActionList and TAction: named commands with short-cuts. Actions that no
// control is bound to still answer their short-cuts through the form.
#pragma once
#include <string>
#include <vector>

#include "Classes.h"
#include "Forms.h"
#include "LayoutReader.h"
#include "ShortCuts.h"

class TActionList;
class TImageList;

class TAction : public TComponent, public TLayoutProperties {
public:
    explicit TAction(TComponent* owner);
    ~TAction() override;
    const char* ClassName() const override { return "TAction"; }

    TActionList* ActionList() const { return list_; }
    // Moves the action into `list` (null: into none).
    void SetActionList(TActionList* list);

    std::string Caption;
    std::string Category;
    std::string Hint;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    int ImageIndex = -1;
    TShortCut ShortCut = scNone;
    TNotifyEvent OnExecute;
    // Runs before a short-cut executes the action, to refresh Enabled.
    TNotifyEvent OnUpdate;

    // Runs OnExecute when the action is enabled and has a handler; true then.
    virtual bool Execute();

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

private:
    friend class TActionList;
    TActionList* list_ = nullptr;
};

class TActionList : public TComponent, public TLayoutProperties, public TLayoutContainer, public TShortCutHandler {
public:
    explicit TActionList(TComponent* owner) : TComponent(owner) {}
    ~TActionList() override;
    const char* ClassName() const override { return "TActionList"; }

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TAction* Actions(int index) const { return actions_[static_cast<size_t>(index)]; }

    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

    // The first enabled action with this short-cut executes.
    bool IsShortCut(TShortCut shortCut) override;
    // After the menus.
    int ShortCutPriority() const override { return 1; }

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    void AddLayoutChild(TComponent* child) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TAction;
    std::vector<TAction*> actions_;
    TImageList* images_ = nullptr;
};
