// The about dialog TfrmAbout: name, version and rights notice beside a
// picture, with links to the web site and to the support mail address.
#pragma once
#include "Forms.h"

class TLabel;
class TImage;
class TButton;
class TLabelEx;

// The addresses the two links show and open.
extern const char kToviraWebAddress[];
extern const char kToviraSupportAddress[];

class TfrmAbout : public TForm {
public:
    explicit TfrmAbout(TComponent* owner);
    const char* ClassName() const override { return "TfrmAbout"; }

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TImage* Image2 = nullptr;
    TLabelEx* LabelEx1 = nullptr;
    TLabelEx* LabelEx2 = nullptr;
    TButton* Button1 = nullptr;

    void LabelEx1Click(TObject* sender);
    void LabelEx2Click(TObject* sender);

private:
    void BindLayout();
};

extern TfrmAbout* frmAbout;
