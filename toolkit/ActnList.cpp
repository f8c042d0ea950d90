#include "ActnList.h"

#include <algorithm>

#include "Exceptions.h"
#include "ImgList.h"

// ------------------------------------------------------------------ TAction

TAction::TAction(TComponent* owner) : TComponent(owner) {}

TAction::~TAction() { SetActionList(nullptr); }

void TAction::SetActionList(TActionList* list) {
    if (list == list_) return;
    if (list_) {
        auto& actions = list_->actions_;
        actions.erase(std::remove(actions.begin(), actions.end(), this), actions.end());
    }
    list_ = list;
    if (list_) list_->actions_.push_back(this);
}

bool TAction::Execute() {
    OnUpdate(this);
    if (!Enabled || !OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TAction::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Caption") Caption = r.Str(v);
    else if (name == "Category") Category = r.Str(v);
    else if (name == "Hint") Hint = r.Str(v);
    else if (name == "Checked") Checked = r.Bool(v);
    else if (name == "Enabled") Enabled = r.Bool(v);
    else if (name == "Visible") Visible = r.Bool(v);
    else if (name == "ImageIndex") ImageIndex = r.Int(v);
    else if (name == "ShortCut") ShortCut = static_cast<TShortCut>(r.Int(v));
    else if (name == "OnExecute") r.Event(v, OnExecute);
    else if (name == "OnUpdate") r.Event(v, OnUpdate);
    else return false;
    return true;
}

// -------------------------------------------------------------- TActionList

TActionList::~TActionList() {
    for (TAction* action : std::vector<TAction*>(actions_)) action->list_ = nullptr;
    actions_.clear();
}

void TActionList::SetImages(TImageList* images) {
    if (images == images_) return;
    if (images_) RemoveFreeNotification(images_);
    images_ = images;
    if (images) FreeNotification(images);
}

void TActionList::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

bool TActionList::IsShortCut(TShortCut shortCut) {
    if (shortCut == scNone) return false;
    // A copy: a handler may add or free actions.
    for (TAction* action : std::vector<TAction*>(actions_))
        if (action->ShortCut == shortCut && action->Execute()) return true;
    return false;
}

bool TActionList::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Images") {
        r.Reference(v, [this](TComponent* c) {
            auto* images = dynamic_cast<TImageList*>(c);
            if (!images) throw Exception(c->Name() + " is not an image list");
            SetImages(images);
        });
        return true;
    }
    return false;
}

void TActionList::AddLayoutChild(TComponent* child) {
    auto* action = dynamic_cast<TAction*>(child);
    if (!action) throw Exception(Name() + " cannot hold a " + child->ClassName());
    action->SetActionList(this);
}
