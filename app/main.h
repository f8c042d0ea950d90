// The main window TfrmMain: category tabs, options, commands, and the
// program-wide state other units read (option flags, notice panel).
#pragma once
#include <memory>
#include <string>

#include "Forms.h"
#include "StringList.h"

class TPageControl;
class TTabSheet;
class TPanel;
class TBitBtn;
class TCoolBar;
class TToolBar;
class TToolButton;
class TMainMenu;
class TMenuItem;
class TImageList;
class TActionList;
class TAction;
class TCoolTrayIcon;
class TXPMenu;
class TCategoryTabs;

// Options, read at start and written at close (Tovira.ini, section Options).
extern bool DoMinimizeFlag;
extern bool DoSetHtmlFlag;
extern bool SoundOnFlag;
// "Paste into other programs": a pick with no compose window goes to the
// program that was in front (key PasteAnywhere, default true).
extern bool PasteAnywhereFlag;

// The panel "No e-mail window opened"; null until the main window is created.
extern TPanel* NoticePanel;

// The window that was in front when the global hotkey last showed the main
// window: the pick pastes there. Null when the window was shown another way
// (the tray icon), so the pick looks for a compose window as before.
extern HWND HotkeyTarget;
// The last picture picked (forward slashes), for the keyboard's next start.
extern std::string LastPickedPicture;

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;
    const char* ClassName() const override { return "TfrmMain"; }

    TPageControl* PageControl1 = nullptr;
    TPanel* Panel2 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TBitBtn* BitBtn3 = nullptr;
    TBitBtn* BitBtn4 = nullptr;
    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Minimizewhenclickaimage1 = nullptr;
    TMenuItem* SettoHTMLmode1 = nullptr;
    TMenuItem* SoundOn1 = nullptr;
    TMenuItem* StartwithWindows1 = nullptr;
    TMenuItem* Pasteintootherprograms1 = nullptr;
    TImageList* ImageList6 = nullptr;
    TActionList* ActionList1 = nullptr;
    TCoolTrayIcon* CoolTrayIcon1 = nullptr;
    TXPMenu* XPMenu1 = nullptr;

    std::string ImagesDir;  // AppDir + "images", no trailing backslash
    std::string AppDir;     // always ends in a backslash
    std::string Hotkey;     // the option "Hotkey" as read (the default when the key is missing)
    std::unique_ptr<TStringList> CategoryList;
    // Makes each tab's page when first shown and follows the library's
    // changes (made by FormCreate).
    TCategoryTabs* Categories = nullptr;

    // Builds one tab per immediate sub-folder of ImagesDir.
    void LoadCategories();
    void AddCategory(const std::string& path);
    // Moves a new tab: "general" to the front, "additional" right after it.
    void PlaceCategoryTab(TTabSheet* sheet);

    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void Image5Click(TObject* sender);
    void doexitExecute(TObject* sender);
    void dohelpExecute(TObject* sender);
    void Picturemanager1Click(TObject* sender);
    void Minimizewhenclickaimage1Click(TObject* sender);
    void SettoHTMLmode1Click(TObject* sender);
    void SoundOn1Click(TObject* sender);
    void Pasteintootherprograms1Click(TObject* sender);
    void BitBtn1Click(TObject* sender);
    void AboutTovira1Click(TObject* sender);
    void CoolTrayIcon1MouseMove(TObject* sender, TShiftState shift, int x, int y);

    // ---- Reached from the keyboard and from a second start (MainReach.cpp) ----
    // Shows the window for the keyboard (the window in front becomes
    // HotkeyTarget), or hides it when it is shown.
    void HotkeyPressed(HWND front);
    // A second start: shows the window for the keyboard, with no target.
    void ShowRequested(TObject* sender);
    // Esc: hides the window without a pick and gives the front back.
    void doescapeExecute(TObject* sender);
    void StartwithWindows1Click(TObject* sender);
    // Puts the window's bottom-right corner on the work area's of the
    // monitor holding that point (the primary's when null) and reveals it.
    void ShowInTrayCorner(const POINT* onTrayMonitor);

    // The option "Hotkey" of the options file next to the executable, read
    // before the window is made so the hotkey works from the start.
    static std::string ReadHotkeyOption();
    // Reads / writes the options (and the Recent list after them) at
    // AppDir + "Tovira.ini".
    void ReadOptions();
    void WriteOptions();
    // Everything kept between runs, written at close and when the session
    // ends: whatever else is to be kept is added here.
    void SaveSettings();
    // Shows the option flags in the menu.
    void ReflectOptions();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void BindLayout();
    void ShowForKeyboard();
    void HideGivingFrontBack();
    // The current tab's pictures take the keyboard: the last picked one
    // when it is on this tab, else the first that can be picked.
    void FocusPictures();
    // At log-off or shut-down: the process ends after this message, without
    // FormClose. Writes once and shows nothing, as nobody is there to answer.
    void SaveSettingsAtSessionEnd() noexcept;
    bool savedAtSessionEnd_ = false;
};

extern TfrmMain* frmMain;

// Walks one folder: callback(target, path) for each sub-folder (wantFolders)
// or file (!wantFolders) matching `pattern` whose name does not begin with
// "."; recurse walks sub-folders the same way. Enumeration order; nothing
// sorted.
using TEntryCallback = void (*)(void* target, const std::string& path);
void ForEachEntry(const std::string& folder, bool wantFolders, TEntryCallback callback, void* target, bool recurse,
                  const char* pattern = "*");

// Sorts paths by their last component, letters without case (NTFS's order).
void SortPathsByName(TStringList& paths);

// The full path of the running executable, never cut; empty when it cannot
// be had.
std::string ExecutablePath();
// Raises the message that says where to move the program when the files
// next to it cannot be named (a folder path too long).
void CheckAppFolder();

// The thread mouse filter that swallows right-button presses.
void InstallRightButtonFilter();
