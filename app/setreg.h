// The "IE Rescue" dialog TfrmPro and its registry routines: undoes four
// changes web pages commonly make to Internet Explorer's settings of the
// current user.
#pragma once
#include <windows.h>

#include <string>

#include "Forms.h"
#include "RegValue.h"

class TPanel;
class TImage;
class TLabel;
class TGroupBox;
class TCheckBox;
class TfjnButton;

// Writes `value` as `kind` under root\key (a leading backslash marks a path
// from the root and is dropped). Missing keys on the path are created.
// Raises Exception "Failed to set data for '<valueName>'" when the registry
// refuses the write; the key is closed in every case.
void WriteRegValue(HKEY root, const std::string& key, const std::string& valueName, const RegVariant& value,
                   std::uint8_t kind);
// Deletes root\key's value; false when it did not exist or could not be
// deleted. The key path is created as for writing.
bool DeleteRegValue(HKEY root, const std::string& key, const std::string& valueName);

class TfrmPro : public TForm {
public:
    explicit TfrmPro(TComponent* owner);
    const char* ClassName() const override { return "TfrmPro"; }

    TPanel* Panel6 = nullptr;
    TImage* Image1 = nullptr;
    TImage* Image4 = nullptr;
    TImage* Image9 = nullptr;
    TLabel* Label4 = nullptr;
    TImage* Image3 = nullptr;
    TfjnButton* Button1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TCheckBox* CheckBox3 = nullptr;
    TCheckBox* CheckBox5 = nullptr;
    TLabel* Label1 = nullptr;

    void Image9Click(TObject* sender);
    void Image4MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormCreate(TObject* sender);
    void FormPaint(TObject* sender);
    void Button1Click(TObject* sender);

    // Rounded top corners: the window's region.
    void ShapeWindow();

protected:
    // WM_DPICHANGED: the region follows the window's new size.
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void BindLayout();
};

extern TfrmPro* frmPro;
