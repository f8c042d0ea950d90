#include "about.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ExtCtrls.h"
#include "LabelEx.h"
#include "ProductInfo.h"
#include "StdCtrls.h"

// The link captions and the links themselves come from here.
const char kToviraWebAddress[] = TOVIRA_WEB_ADDRESS;
const char kToviraSupportAddress[] = TOVIRA_SUPPORT_ADDRESS;

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner) {
    RegisterComponentClass<TLabelEx>("TLabelEx");
    BindLayout();
    ReadLayout("TFRMABOUT");
    // The rights notice and the link captions come from the one place that
    // also feeds the version resource and the links. The blank keeps the
    // notice clear of "Version 2.0" where the stand-in font draws it wider.
    Label3->SetCaption(std::string(" ") + TOVIRA_COPYRIGHT);
    LabelEx1->SetCaption(kToviraWebAddress);
    LabelEx2->SetCaption(std::string("email: ") + kToviraSupportAddress);
}

void TfrmAbout::BindLayout() {
    auto& b = Bindings;
    b.Field("Label1", Label1);
    b.Field("Label2", Label2);
    b.Field("Label3", Label3);
    b.Field("Image2", Image2);
    b.Field("LabelEx1", LabelEx1);
    b.Field("LabelEx2", LabelEx2);
    b.Field("Button1", Button1);
    b.Handler<&TfrmAbout::LabelEx1Click>("LabelEx1Click", this);
    b.Handler<&TfrmAbout::LabelEx2Click>("LabelEx2Click", this);
}

void TfrmAbout::LabelEx1Click(TObject*) {
    ShellExecuteA(Handle(), "open", kToviraWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmAbout::LabelEx2Click(TObject*) {
    std::string mail = std::string("mailto:") + kToviraSupportAddress + "?subject=Tovira1.0_Support";
    ShellExecuteA(Handle(), "open", mail.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
