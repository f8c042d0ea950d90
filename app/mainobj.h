// Icon pages, picking a picture, and inserting it into a mail compose window:
// the clipboard fragment and the compose-window targeting and paste.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "EmbeddedWB.h"
#include "PickTarget.h"
#include "StringList.h"

class TTabSheet;
class TPictureView;

// ---- Icon pages -------------------------------------------------------------

// One category's pictures on its tab. The page is an HTML page in the hosted
// browser where the browser can show one; otherwise (no browser object, or
// it fails to activate or to load a page) the same pictures in a native
// picture view in the same place. The first failure decides for the whole
// process: later pages go straight to the native view.
class ticonbox : public TEmbeddedWB {
public:
    // Builds and loads the page for `folder` on `tab` (the tab owns the page).
    ticonbox(const std::string& folder, TTabSheet* tab);
    // A page of these pictures, in this order, rather than a folder's (the
    // Recent tab); ShowFiles changes them.
    ticonbox(const std::vector<std::string>& files, TTabSheet* tab);
    ~ticonbox() override;
    const char* ClassName() const override { return "ticonbox"; }

    std::string FolderPath;
    std::unique_ptr<TStringList> ImageFiles;
    std::unique_ptr<TStringList> PageLines;

    void AddImageFile(const std::string& path);
    // BuildPage, then load the lines into the browser.
    void RefreshPage();
    // Collects the folder's pictures and makes the page's lines.
    void BuildPage();
    // Shows these pictures instead (a page of a given list).
    void ShowFiles(const std::vector<std::string>& files);
    // The browser's title-change handler: a picture path in the title is a pick.
    void PickTitleChange(TObject* sender, const wchar_t* title);

    // The tab was shown: a page whose folder changed meanwhile is listed
    // again; the pictures take the keyboard focus.
    void TabShown(TObject* sender);
    // The folder's pictures changed: listed again now when the tab is on
    // the screen, else when it is next shown.
    void LibraryChanged(bool onScreen);
    // Folder listings made by all pages so far (also the main window's
    // property kListingCountProperty).
    static int ListingCount();

    // The native view, or null while the browser shows the page.
    TPictureView* NativeView() const { return nativeView_; }

    // Whether this process still tries the browser for new pages.
    static bool BrowserUsable();
    // Test hook: forget an earlier failure (or decide for the browser off).
    static void SetBrowserUsable(bool usable);

private:
    // Turns to the native view: gives up the browser object and shows the
    // pictures natively; remembers the failure for later pages.
    void FallBackToNativeView();
    ticonbox(TTabSheet* tab, const std::string& folder, const std::vector<std::string>* files);
    void MakePageLines();
    void PictureClicked(TObject* sender, int index);
    static void CountListing();

    TTabSheet* tab_;
    bool listed_ = false;  // a page of a given list, not of a folder
    bool stale_ = false;   // listed before its folder last changed
    TPictureView* nativeView_ = nullptr;
};

// The main window's property holding ticonbox::ListingCount().
constexpr char kListingCountProperty[] = "Tovira.Listings";

// ---- Picking ----------------------------------------------------------------

// Hides the main window and minimises the application; the tray icon keeps
// the program reachable. Moves no focus.
void HideToTray();

// ---- Clipboard ------------------------------------------------------------

// Replaces the clipboard's content with the "HTML Format" payload for the
// picture at `path` (forward slashes); headed when `prefix` is not empty.
// Raises EOSError when a clipboard step fails; the clipboard is closed on
// every way out.
void PutHtmlOnClipboard(const std::string& prefix, const std::string& path);

// ---- Compose window targeting and paste -----------------------------------

// The window last switched to HTML editing; null until the first switch.
extern HWND LastComposeWindow;
// The application folder with its trailing backslash ("sound.wav" lives there).
extern std::string AppFolder;

// The client kind of the first compose-window class that has a top-level
// window: 1 "ATH_Note", 2 "rctrl_renwnd32", 3 "MozillaWindowClass"; 0 when
// none has one. The fallback window is not looked for.
int ComposeClientKind();

// Synthesizes modifier down, key down, key up, modifier up (virtual-key
// codes; modifier 0 means none).
void SendKeyCombo(unsigned char modifier, unsigned char key);

// Plays a sound file (asynchronously, the system's default sound when the
// file is missing). Tests put their own in to see when the sound starts.
using SoundPlayer = void (*)(const char* file);
extern SoundPlayer PickSoundPlayer;

// How long after the Ctrl+V the sound starts, from a thread of its own.
// Started at once, opening the file and the audio device competes for the
// processor with the compose window taking the paste; a chime this much
// later is still heard as part of the pick.
constexpr DWORD kPickSoundDelayMs = 50;

// Brings the target to the front and, once its thread has the focus, checks
// that it is still the foreground window (for a compose window, that its
// thread holds the focus); switches a compose window to HTML editing the
// first time it is met; pastes with Ctrl+V and plays the sound (after
// kPickSoundDelayMs, when sound is on). Shows the notice for one second for
// the Notice route, or when the target closes, hides or is not in front
// when the key strokes would go out (none go out then). Never raises.
void PasteIntoTarget(const PickTarget& target) noexcept;

// PasteIntoTarget for the compose window alone (FindComposeTarget): the
// mail-client rules without the hotkey or other programs.
void PasteIntoCompose() noexcept;
