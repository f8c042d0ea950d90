#include "Classes.h"

#include <string.h>

#include <algorithm>

#include "Exceptions.h"

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->Insert(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    DestroyComponents();
    // Copy: a notified component may remove itself from the list.
    auto notifies = freeNotifies_;
    for (TComponent* other : notifies) {
        other->RemoveFreeNotification(this);
        other->Notification(this, TOperation::opRemove);
    }
    if (owner_) owner_->Remove(this);
}

void TComponent::Insert(TComponent* component) {
    components_.emplace_back(component);
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::Remove(TComponent* component) {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [component](const auto& p) { return p.get() == component; });
    if (it == components_.end()) return;
    it->release();  // the component is being destroyed by someone else
    components_.erase(it);
    component->owner_ = nullptr;
    Notification(component, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back().get();
        // Its destructor calls Remove(), which releases it from our list.
        delete last;
    }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (const auto& c : components_)
        if (_stricmp(c->Name().c_str(), name.c_str()) == 0) return c.get();
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
        freeNotifies_.push_back(other);
        other->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), other);
    if (it == freeNotifies_.end()) return;
    freeNotifies_.erase(it);
    other->RemoveFreeNotification(this);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::AnnounceInsertion() {
    if (!owner_) return;
    // Copy: a notified component may create or destroy siblings.
    std::vector<TComponent*> siblings;
    for (const auto& c : owner_->components_)
        if (c.get() != this) siblings.push_back(c.get());
    for (TComponent* sibling : siblings)
        if (owner_ && owner_->IndexOfOwned(sibling) >= 0) sibling->Notification(this, TOperation::opInsert);
}

int TComponent::IndexOfOwned(const TComponent* component) const {
    for (size_t i = 0; i < components_.size(); ++i)
        if (components_[i].get() == component) return static_cast<int>(i);
    return -1;
}
