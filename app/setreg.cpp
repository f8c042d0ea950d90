#include "setreg.h"

#include "DpiScale.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "fjnButton.h"

TfrmPro* frmPro = nullptr;

namespace {
// Keys as the platform's registry takes them: without the leading backslash.
std::string RelativeKey(const std::string& key) { return !key.empty() && key[0] == '\\' ? key.substr(1) : key; }

// Opens root\key with creation allowed; null when that fails (not reported here).
HKEY OpenForEditing(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, RelativeKey(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return opened;
}

struct KeyCloser {
    HKEY key;
    ~KeyCloser() {
        if (key) RegCloseKey(key);
    }
};

constexpr char kIeMain[] = "\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kIeControlPanelPolicy[] = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
constexpr char kSystemPolicy[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
}  // namespace

void WriteRegValue(HKEY root, const std::string& key, const std::string& valueName, const RegVariant& value,
                   std::uint8_t kind) {
    KeyCloser opened{OpenForEditing(root, key)};
    std::optional<RegData> data = EncodeRegValue(value, kind);
    if (!data) return;
    if (RegSetValueExA(opened.key, valueName.c_str(), 0, data->type, data->bytes.data(),
                       static_cast<DWORD>(data->bytes.size())) != ERROR_SUCCESS)
        throw Exception("Failed to set data for '" + valueName + "'");
}

bool DeleteRegValue(HKEY root, const std::string& key, const std::string& valueName) {
    KeyCloser opened{OpenForEditing(root, key)};
    if (!opened.key) return false;
    return RegDeleteValueA(opened.key, valueName.c_str()) == ERROR_SUCCESS;
}

// ------------------------------------------------------------------ TfrmPro

TfrmPro::TfrmPro(TComponent* owner) : TForm(owner) {
    RegisterComponentClass<TfjnButton>("TfjnButton");
    BindLayout();
    ReadLayout("TFRMPRO");
    // The sentence is stored as GBK bytes: read them as such on every system,
    // not in whatever ANSI code page the system has.
    Label1->SetTextCodePage(936);
}

void TfrmPro::BindLayout() {
    auto& b = Bindings;
    b.Field("Panel6", Panel6);
    b.Field("Image1", Image1);
    b.Field("Image4", Image4);
    b.Field("Image9", Image9);
    b.Field("Label4", Label4);
    b.Field("Image3", Image3);
    b.Field("Button1", Button1);
    b.Field("GroupBox1", GroupBox1);
    b.Field("CheckBox1", CheckBox1);
    b.Field("CheckBox2", CheckBox2);
    b.Field("CheckBox3", CheckBox3);
    b.Field("CheckBox5", CheckBox5);
    b.Field("Label1", Label1);
    b.Handler<&TfrmPro::Image9Click>("Image9Click", this);
    b.Handler<&TfrmPro::Image4MouseDown>("Image4MouseDown", this);
    b.Handler<&TfrmPro::FormCreate>("FormCreate", this);
    b.Handler<&TfrmPro::FormPaint>("FormPaint", this);
    b.Handler<&TfrmPro::Button1Click>("Button1Click", this);
}

void TfrmPro::FormCreate(TObject*) { ShapeWindow(); }

void TfrmPro::ShapeWindow() {
    // Rounded top corners (designed at 96 dpi: a 20-pixel band with 12-pixel
    // corners, the square part from 10 down).
    const int d = Dpi();
    HRGN r1 = CreateRoundRectRgn(0, 0, Width() + 1, dpi::Scale(20, d), dpi::Scale(12, d), dpi::Scale(12, d));
    HRGN r2 = CreateRectRgn(0, dpi::Scale(10, d), Width(), ClientHeight());
    CombineRgn(r1, r2, r1, RGN_OR);
    // From here on the window owns r1.
    SetWindowRgn(Handle(), r1, TRUE);
    DeleteObject(r2);
}

LRESULT TfrmPro::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT result = TForm::WndProc(msg, wp, lp);
    if (msg == WM_DPICHANGED) ShapeWindow();
    return result;
}

void TfrmPro::FormPaint(TObject*) {
    TCanvas& canvas = Canvas();
    canvas.Pen.Color = clBlue;
    canvas.Pen.Width = dpi::Scale(4, Dpi());
    canvas.Brush.Clear = true;
    canvas.Rectangle(1, 0, Width(), Height());
}

void TfrmPro::Image4MouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    if (IsZoomed(Handle())) return;
    ReleaseCapture();
    // SC_MOVE with a non-zero low nibble: the system moves the window with
    // the mouse, as when a caption bar is dragged.
    Perform(WM_SYSCOMMAND, 0xF017, 0);
}

void TfrmPro::Image9Click(TObject*) { Close(); }

void TfrmPro::Button1Click(TObject*) {
    if (CheckBox1->Checked()) WriteRegValue(HKEY_CURRENT_USER, kIeMain, "Start Page", std::string("about:blank"), rvString);
    if (CheckBox2->Checked()) DeleteRegValue(HKEY_CURRENT_USER, kIeControlPanelPolicy, "HomePage");
    if (CheckBox3->Checked()) DeleteRegValue(HKEY_CURRENT_USER, kIeMain, "Window Title");
    if (CheckBox5->Checked())
        WriteRegValue(HKEY_CURRENT_USER, kSystemPolicy, "DisableRegistryTools", std::string("0"), rvInteger);
    Close();
}
