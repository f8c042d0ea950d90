#include "main.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "ActnList.h"
#include "Buttons.h"
#include "CategoryTabs.h"
#include "ComCtrls.h"
#include "CoolTrayIcon.h"
#include "ExtCtrls.h"
#include "ForegroundWatch.h"
#include "HotkeyText.h"
#include "ImgList.h"
#include "MainLogic.h"
#include "Menus.h"
#include "StartupSteps.h"
#include "StartWithWindows.h"
#include "ToolBars.h"
#include "XPMenu.h"
#include "about.h"
#include "mainobj.h"
#include "RecentTab.h"
#include "setreg.h"

bool DoMinimizeFlag = true;
bool DoSetHtmlFlag = true;
bool SoundOnFlag = true;
bool PasteAnywhereFlag = true;
TPanel* NoticePanel = nullptr;
HWND HotkeyTarget = nullptr;
std::string LastPickedPicture;
TfrmMain* frmMain = nullptr;

namespace {
constexpr char kOptionsSection[] = "Options";
constexpr char kDoMinimizeKey[] = "DoMinimize";
constexpr char kDoSetHtmlKey[] = "DoSetHtml";
constexpr char kSoundOnKey[] = "Sound On";
constexpr char kHotkeyKey[] = "Hotkey";
constexpr char kPasteAnywhereKey[] = "PasteAnywhere";
constexpr char kOptionsFile[] = "Tovira.ini";

HHOOK MouseHook = nullptr;

LRESULT CALLBACK RightButtonFilterProc(int code, WPARAM message, LPARAM data) {
    if (code < 0) return CallNextHookEx(MouseHook, code, message, data);
    // Right-button presses never reach a window of this thread; releases pass.
    return message == WM_RBUTTONDOWN ? 1 : 0;
}

// A missing key reads as `defaultValue`, an empty one as "".
std::string ReadText(const std::string& file, const char* key, const char* defaultValue) {
    char value[2048];
    GetPrivateProfileStringA(kOptionsSection, key, defaultValue, value, sizeof value, file.c_str());
    return value;
}

bool ReadFlag(const std::string& file, const char* key, bool defaultValue) {
    return ParseOptionFlag(ReadText(file, key, ""), defaultValue);
}

void WriteText(const std::string& file, const char* key, const std::string& value) {
    // A read-only file is never written, also where the platform layer would
    // write through the attribute (Wine running as root does).
    DWORD attributes = GetFileAttributesA(file.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly || !WritePrivateProfileStringA(kOptionsSection, key, value.c_str(), file.c_str()))
        throw Exception("Unable to write to " + file);
}

void WriteFlag(const std::string& file, const char* key, bool value) { WriteText(file, key, value ? "1" : "0"); }
}  // namespace

void SortPathsByName(TStringList& paths) {
    std::vector<std::string> sorted(paths.begin(), paths.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(LastPathComponent(a).c_str(), LastPathComponent(b).c_str()) < 0;
    });
    paths.Clear();
    for (auto& p : sorted) paths.Add(std::move(p));
}

std::string ExecutablePath() {
    // A buffer that is too small gets a cut path (the length of the buffer
    // back, and on older systems no terminating zero): a cut path names
    // another folder, so the buffer grows until the whole path fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 0x10000) return "";  // past any path the system has
        path.resize(path.size() * 2);
    }
}

void CheckAppFolder() {
    const std::string exe = ExecutablePath();
    if (!AppFolderFits(exe)) throw Exception(AppFolderTooLongMessage(exe));
}

void InstallRightButtonFilter() {
    if (MouseHook) return;
    // The result is not checked: without the filter the program still works.
    MouseHook = SetWindowsHookExA(WH_MOUSE, RightButtonFilterProc, GetModuleHandleA(nullptr), GetCurrentThreadId());
}

void ForEachEntry(const std::string& folder, bool wantFolders, TEntryCallback callback, void* target, bool recurse,
                  const char* pattern) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    struct Closer {
        HANDLE h;
        ~Closer() { FindClose(h); }
    } closer{find};
    do {
        if (data.cFileName[0] == '.') continue;
        std::string path = folder + "\\" + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wantFolders) callback(target, path);
            if (recurse) ForEachEntry(path, wantFolders, callback, target, recurse, pattern);
        } else if (!wantFolders) {
            callback(target, path);
        }
    } while (FindNextFileA(find, &data));
}

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
    // The component classes of the layout beyond the toolkit's own.
    RegisterComponentClass<TCoolTrayIcon>("TCoolTrayIcon");
    RegisterComponentClass<TXPMenu>("TXPMenu");
    BindLayout();
    ReadLayout("TFRMMAIN");
}

TfrmMain::~TfrmMain() {
    StopForegroundWatch();
    if (NoticePanel == Panel2) NoticePanel = nullptr;
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::BindLayout() {
    auto& b = Bindings;
    b.Field("PageControl1", PageControl1);
    b.Field("Panel2", Panel2);
    b.Field("BitBtn1", BitBtn1);
    b.Field("BitBtn2", BitBtn2);
    b.Field("BitBtn3", BitBtn3);
    b.Field("BitBtn4", BitBtn4);
    b.Field("CoolBar1", CoolBar1);
    b.Field("ToolBar1", ToolBar1);
    b.Field("MainMenu1", MainMenu1);
    b.Field("Minimizewhenclickaimage1", Minimizewhenclickaimage1);
    b.Field("SettoHTMLmode1", SettoHTMLmode1);
    b.Field("SoundOn1", SoundOn1);
    b.Field("Pasteintootherprograms1", Pasteintootherprograms1);
    b.Field("StartwithWindows1", StartwithWindows1);
    b.Field("ImageList6", ImageList6);
    b.Field("ActionList1", ActionList1);
    b.Field("CoolTrayIcon1", CoolTrayIcon1);
    b.Field("XPMenu1", XPMenu1);
    b.Handler<&TfrmMain::FormCreate>("FormCreate", this);
    b.Handler<&TfrmMain::FormClose>("FormClose", this);
    b.Handler<&TfrmMain::Image5Click>("Image5Click", this);
    b.Handler<&TfrmMain::doexitExecute>("doexitExecute", this);
    b.Handler<&TfrmMain::dohelpExecute>("dohelpExecute", this);
    b.Handler<&TfrmMain::Picturemanager1Click>("Picturemanager1Click", this);
    b.Handler<&TfrmMain::Minimizewhenclickaimage1Click>("Minimizewhenclickaimage1Click", this);
    b.Handler<&TfrmMain::SettoHTMLmode1Click>("SettoHTMLmode1Click", this);
    b.Handler<&TfrmMain::SoundOn1Click>("SoundOn1Click", this);
    b.Handler<&TfrmMain::Pasteintootherprograms1Click>("Pasteintootherprograms1Click", this);
    b.Handler<&TfrmMain::BitBtn1Click>("BitBtn1Click", this);
    b.Handler<&TfrmMain::AboutTovira1Click>("AboutTovira1Click", this);
    b.Handler<&TfrmMain::CoolTrayIcon1MouseMove>("CoolTrayIcon1MouseMove", this);
    b.Handler<&TfrmMain::doescapeExecute>("doescapeExecute", this);
    b.Handler<&TfrmMain::StartwithWindows1Click>("StartwithWindows1Click", this);
}

void TfrmMain::FormCreate(TObject*) {
    InstallRightButtonFilter();
    std::string exe = ExecutablePath();
    ImagesDir = ImagesDirOf(exe);
    LoadCategories();
    OnShow = TNotifyEvent::Bind<TCategoryTabs, &TCategoryTabs::FormShown>(Categories);
    Categories->WatchLater();
    AppDir = AppDirOf(exe);
    ReadOptions();
    ReflectOptions();
    NoticePanel = Panel2;
    ShowRecentTab(PageControl1);
    StartForegroundWatch();
}

void TfrmMain::FormClose(TObject*, TCloseAction&) { SaveSettings(); }

void TfrmMain::SaveSettings() {
    // Until FormCreate has read them (building the pages lets messages run,
    // a session end among them) there is nothing of this run to keep, and
    // no folder yet to keep it in.
    if (AppDir.empty()) return;
    WriteOptions();
}

void TfrmMain::SaveSettingsAtSessionEnd() noexcept {
    if (savedAtSessionEnd_) return;
    savedAtSessionEnd_ = true;
    try {
        SaveSettings();
    } catch (...) {
        // No report: a message box now would hold up the end of the session.
    }
}

LRESULT TfrmMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Never hold up a log-off or shut-down.
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == WM_ENDSESSION) {
        if (wp) SaveSettingsAtSessionEnd();
        return 0;
    }
    return TForm::WndProc(msg, wp, lp);
}

void TfrmMain::ReadOptions() {
    std::string file = AppDir + kOptionsFile;
    DoMinimizeFlag = ReadFlag(file, kDoMinimizeKey, true);
    DoSetHtmlFlag = ReadFlag(file, kDoSetHtmlKey, true);
    SoundOnFlag = ReadFlag(file, kSoundOnKey, true);
    Hotkey = ReadText(file, kHotkeyKey, hotkey::kDefault);
    PasteAnywhereFlag = ReadFlag(file, kPasteAnywhereKey, true);
    ReadRecentPictures(file);
}

std::string TfrmMain::ReadHotkeyOption() {
    return ReadText(AppDirOf(ExecutablePath()) + kOptionsFile, kHotkeyKey, hotkey::kDefault);
}

void TfrmMain::WriteOptions() {
    std::string file = AppDir + kOptionsFile;
    WriteFlag(file, kDoMinimizeKey, DoMinimizeFlag);
    WriteFlag(file, kDoSetHtmlKey, DoSetHtmlFlag);
    WriteFlag(file, kSoundOnKey, SoundOnFlag);
    WriteText(file, kHotkeyKey, Hotkey);
    WriteFlag(file, kPasteAnywhereKey, PasteAnywhereFlag);
    WriteRecentPictures(file);
}

void TfrmMain::ReflectOptions() {
    SoundOn1->SetCaption(SoundOnFlag ? "Sound Off" : "Sound On");
    Minimizewhenclickaimage1->SetChecked(DoMinimizeFlag);
    SettoHTMLmode1->SetChecked(DoSetHtmlFlag);
    Pasteintootherprograms1->SetChecked(PasteAnywhereFlag);
    StartwithWindows1->SetChecked(StartsWithWindows(ExecutablePath()));
}

void TfrmMain::AddCategory(const std::string& path) { CategoryList->Add(path); }

void TfrmMain::LoadCategories() {
    CategoryList = std::make_unique<TStringList>();
    if (!Categories) Categories = new TCategoryTabs(this);
    DWORD attributes = GetFileAttributesA(ImagesDir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    ForEachEntry(
        ImagesDir, true, [](void* target, const std::string& path) { static_cast<TfrmMain*>(target)->AddCategory(path); },
        this, false);
    // Name order, as NTFS enumerates; other file systems (and Wine on a Unix
    // file system) enumerate in an order of their own.
    SortPathsByName(*CategoryList);
    MarkStartupStep(kStepListed);
    // The sheets are laid out once, after the last tab, not at every new row
    // of tabs: a library of thousands of categories starts in seconds.
    PageControl1->DisableAlign();
    try {
        for (int i = 0; i < CategoryList->Count(); ++i) {
            const std::string& path = (*CategoryList)[i];
            auto* sheet = new TTabSheet(PageControl1);
            sheet->SetCaption(CategoryCaption(LastPathComponent(path)));
            sheet->SetPageControl(PageControl1);
            PlaceCategoryTab(sheet);
            Categories->Adopt(sheet, path);  // its page is made when first shown
        }
    } catch (...) {
        PageControl1->EnableAlign();
        throw;
    }
    PageControl1->EnableAlign();
    MarkStartupStep(kStepTabs);
    CategoryList.reset();
    if (PageControl1->PageCount() > 0) PageControl1->SetActivePageIndex(0);
}

void TfrmMain::PlaceCategoryTab(TTabSheet* sheet) {
    std::string name = CategoryKey(sheet->Caption());
    // Moves happen against the tabs that exist now; later tabs are appended.
    if (name == "general") sheet->SetPageIndex(0);
    if (name == "additional" && PageControl1->PageCount() >= 1)
        sheet->SetPageIndex(CategoryKey(PageControl1->Pages(0)->Caption()) == "general" ? 1 : 0);
}

void TfrmMain::Image5Click(TObject*) {
    BitBtn2->SetFocus();
    Hide();
    Application->Minimize();
}

void TfrmMain::CoolTrayIcon1MouseMove(TObject*, TShiftState, int, int) {
    HotkeyTarget = nullptr;  // a pick looks for a compose window
    // On every move over the icon; the pointer is over the tray's monitor.
    POINT at{};
    ShowInTrayCorner(GetCursorPos(&at) ? &at : nullptr);
}

void TfrmMain::ShowInTrayCorner(const POINT* onTrayMonitor) {
    // Bottom-right corner on the work area's: the work area of the monitor
    // the tray is on (the primary monitor's when not known).
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (onTrayMonitor && GetMonitorInfoA(MonitorFromPoint(*onTrayMonitor, MONITOR_DEFAULTTOPRIMARY), &monitor))
        area = monitor.rcWork;
    // Twice: arriving on a monitor of another resolution resizes the window.
    for (int pass = 0; pass < 2; ++pass) {
        SetLeft(area.right - Width());
        SetTop(area.bottom - Height());
    }
    NoteForegroundWindow();  // where a pick goes when no compose window is open
    CoolTrayIcon1->RevealMainForm();
}

void TfrmMain::doexitExecute(TObject*) {
    try {
        Close();
    } catch (...) {
        Application->Terminate();
    }
}

void TfrmMain::dohelpExecute(TObject*) {
    ShellExecuteA(Handle(), "open", (AppDir + "Tovira.chm").c_str(), nullptr, nullptr, SW_SHOW);
}

void TfrmMain::Picturemanager1Click(TObject*) {
    ShellExecuteA(Handle(), "Open", ImagesDir.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::Minimizewhenclickaimage1Click(TObject*) {
    Minimizewhenclickaimage1->SetChecked(!Minimizewhenclickaimage1->Checked());
    DoMinimizeFlag = Minimizewhenclickaimage1->Checked();
}

void TfrmMain::SettoHTMLmode1Click(TObject*) {
    SettoHTMLmode1->SetChecked(!SettoHTMLmode1->Checked());
    DoSetHtmlFlag = SettoHTMLmode1->Checked();
}

void TfrmMain::Pasteintootherprograms1Click(TObject*) {
    Pasteintootherprograms1->SetChecked(!Pasteintootherprograms1->Checked());
    PasteAnywhereFlag = Pasteintootherprograms1->Checked();
}

void TfrmMain::SoundOn1Click(TObject*) {
    if (SoundOnFlag) {
        SoundOn1->SetCaption("Sound On");
        SoundOnFlag = false;
    } else {
        SoundOn1->SetCaption("Sound Off");
        SoundOnFlag = true;
    }
}

// Each opening builds a fresh dialog with no owner; the result is not used.
namespace {
template <class Dialog>
void ShowDialog(Dialog*& instance) {
    std::unique_ptr<Dialog> dialog(Application->CreateForm<Dialog>(nullptr));
    instance = dialog.get();
    try {
        dialog->ShowModal();
    } catch (...) {
        instance = nullptr;
        throw;
    }
    instance = nullptr;
}
}  // namespace

void TfrmMain::BitBtn1Click(TObject*) { ShowDialog(frmPro); }
void TfrmMain::AboutTovira1Click(TObject*) { ShowDialog(frmAbout); }
