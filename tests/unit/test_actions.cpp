// Action lists: actions read from a layout, answering their short-cuts for
// the form after the menus, also through the message loop's key routing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Menus.h"
#include "menu_probe.h"

namespace {

const char* const kLayout = R"(object ActionForm: TForm
  ClientWidth = 200
  ClientHeight = 100
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Exit1: TMenuItem
        Caption = 'E&xit'
        ShortCut = 16472
        OnClick = Record
      end
    end
  end
  object ActionList1: TActionList
    object doexit: TAction
      Caption = 'doexit'
      ShortCut = 16472
      OnExecute = Record
    end
    object dohelp: TAction
      Caption = 'dohelp'
      ShortCut = 112
      OnExecute = Record
    end
    object idle: TAction
      ShortCut = 113
    end
  end
end
)";

class ActionForm : public TForm {
public:
    ActionForm() : TForm(nullptr) {
        TestApplication();
        Bindings.Field("ActionList1", ActionList1);
        Bindings.Field("doexit", doexit);
        Bindings.Field("dohelp", dohelp);
        Bindings.Field("Exit1", Exit1);
        Bindings.Handler<&ActionForm::Record>("Record", this);
        ReadLayoutText(this, &Bindings, kLayout, "TESTACTIONS");
        AfterConstruction();
    }
    void Record(TObject* sender) { ran.push_back(dynamic_cast<TComponent*>(sender)->Name()); }

    TActionList* ActionList1 = nullptr;
    TAction* doexit = nullptr;
    TAction* dohelp = nullptr;
    TMenuItem* Exit1 = nullptr;
    std::vector<std::string> ran;
};

TEST(Actions, LayoutFillsTheListInOrder) {
    ActionForm form;
    ASSERT_EQ(form.ActionList1->ActionCount(), 3);
    EXPECT_EQ(form.ActionList1->Actions(0), form.doexit);
    EXPECT_EQ(form.ActionList1->Actions(1), form.dohelp);
    EXPECT_EQ(form.doexit->ActionList(), form.ActionList1);
    EXPECT_EQ(form.doexit->Caption, "doexit");
    EXPECT_EQ(form.doexit->ShortCut, ShortCut('X', scCtrl));
    EXPECT_EQ(form.dohelp->ShortCut, 0x70);
    EXPECT_TRUE(form.dohelp->Enabled);
    EXPECT_EQ(form.ActionList1->ShortCutPriority(), 1);
}

TEST(Actions, ShortCutsExecuteEnabledActionsAfterTheMenus) {
    ActionForm form;
    EXPECT_TRUE(form.IsShortCut(0x70));
    EXPECT_EQ(form.ran, (std::vector<std::string>{"dohelp"}));

    // Ctrl+X belongs to the menu first; the action runs only when the item can't.
    form.ran.clear();
    EXPECT_TRUE(form.IsShortCut(ShortCut('X', scCtrl)));
    EXPECT_EQ(form.ran, (std::vector<std::string>{"Exit1"}));
    form.Exit1->SetEnabled(false);
    EXPECT_TRUE(form.IsShortCut(ShortCut('X', scCtrl)));
    EXPECT_EQ(form.ran, (std::vector<std::string>{"Exit1", "doexit"}));

    // Disabled actions and actions without a handler leave the key alone.
    form.ran.clear();
    form.dohelp->Enabled = false;
    EXPECT_FALSE(form.IsShortCut(0x70));
    EXPECT_FALSE(form.IsShortCut(0x71));  // F2: "idle" has no handler
    EXPECT_FALSE(form.IsShortCut(ShortCut('F', scCtrl)));
    EXPECT_TRUE(form.ran.empty());
    EXPECT_TRUE(form.dohelp->Execute() == false);
}

TEST(Actions, KeyPressReachesTheActionThroughTheMessageLoop) {
    ActionForm form;
    // A key message for the form's window goes through the loop's short-cut routing.
    PostMessageA(form.Handle(), WM_KEYDOWN, VK_F1, 0);
    ASSERT_TRUE(WaitFor([&] { return !form.ran.empty(); }));
    EXPECT_EQ(form.ran, (std::vector<std::string>{"dohelp"}));
}

TEST(Actions, FreeingActionsAndListsKeepsBothSidesConsistent) {
    ActionForm form;
    delete form.dohelp;
    EXPECT_EQ(form.ActionList1->ActionCount(), 2);
    EXPECT_FALSE(form.IsShortCut(0x70));

    TAction* exit = form.doexit;
    delete form.ActionList1;
    EXPECT_EQ(exit->ActionList(), nullptr);
    form.Exit1->SetEnabled(false);
    EXPECT_FALSE(form.IsShortCut(ShortCut('X', scCtrl)));  // no list answers any more
    exit->SetActionList(nullptr);

    // An action moves between lists.
    TActionList other(nullptr);
    exit->SetActionList(&other);
    EXPECT_EQ(other.ActionCount(), 1);
    EXPECT_TRUE(other.IsShortCut(ShortCut('X', scCtrl)));
    exit->SetActionList(nullptr);
    EXPECT_EQ(other.ActionCount(), 0);
}

TEST(Actions, ListHoldsOnlyActions) {
    TestApplication();
    const std::string layout = R"(object F: TForm
  object A: TActionList
    object I: TMenuItem
    end
  end
end
)";
    TForm form(nullptr);
    EXPECT_THROW(ReadLayoutText(&form, nullptr, layout, "BAD"), Exception);
}

}  // namespace
