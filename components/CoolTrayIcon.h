// TCoolTrayIcon: a non-visual component that keeps one icon in the taskbar
// notification area, turns the shell's mouse notifications for it into
// events, can open a popup menu from it or animate it from an image list,
// and lets the program start in the tray and minimise to the tray. For the
// last two it watches the application window and its owner's window by
// replacing their window procedures; both replacements pass every message on.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "Controls.h"
#include "LayoutReader.h"
#include "Picture.h"

class TImageList;
class TPopupMenu;
class TTimer;
class TWndProcStub;

using TCycleEvent = TEvent<TObject*, int>;

// The shell's notification-icon record (NOTIFYICONDATAA) in its 488-byte
// layout. The balloon fields stay zero: the component shows no balloons.
struct TNotifyIconRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    char szInfo[256];
    UINT uTimeout;
    char szInfoTitle[64];
    DWORD dwInfoFlags;
};
#ifndef _WIN64
static_assert(sizeof(TNotifyIconRecord) == 488);
static_assert(offsetof(TNotifyIconRecord, hIcon) == 20);
static_assert(offsetof(TNotifyIconRecord, szTip) == 24);
static_assert(offsetof(TNotifyIconRecord, dwState) == 152);
static_assert(offsetof(TNotifyIconRecord, szInfo) == 160);
static_assert(offsetof(TNotifyIconRecord, uTimeout) == 416);
static_assert(offsetof(TNotifyIconRecord, szInfoTitle) == 420);
static_assert(offsetof(TNotifyIconRecord, dwInfoFlags) == 484);
#endif
// Field for field the system's record up to the balloon flags, on either architecture.
static_assert(offsetof(TNotifyIconRecord, hIcon) == offsetof(NOTIFYICONDATAA, hIcon));
static_assert(offsetof(TNotifyIconRecord, szInfo) == offsetof(NOTIFYICONDATAA, szInfo));
static_assert(offsetof(TNotifyIconRecord, dwInfoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags));

// The message the shell broadcasts when the taskbar is (re)created; every
// construction registers it again (the number stays the same).
extern UINT TaskbarCreatedMessage;
// The message the shell sends to the tray window for the icon.
constexpr UINT TrayCallbackMessage = WM_USER + 1024;

class TCoolTrayIcon : public TComponent, public TLayoutProperties {
public:
    explicit TCoolTrayIcon(TComponent* owner);
    ~TCoolTrayIcon() override;
    const char* ClassName() const override { return "TCoolTrayIcon"; }

    // ---- Properties, in the order stored settings are read ----
    // Form-designer preview: adds or removes the icon without touching IconVisible.
    bool DesignPreview() const { return designPreview_; }
    void SetDesignPreview(bool value);
    TImageList* IconList() const { return iconList_; }
    void SetIconList(TImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool value);
    // Milliseconds between cycling steps; 0 never fires.
    unsigned CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(unsigned milliseconds);
    // While false every mouse notification from the icon is ignored.
    bool Enabled = true;
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    const TIcon& Icon() const { return icon_; }
    void SetIcon(const TIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool value);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    // The popup menu also opens on the left button.
    bool LeftPopup = false;
    // Read when loading completes and at the first position change of the application window.
    bool StartMinimized = false;
    // Read whenever the application window is minimised.
    bool MinimizeToTray = false;

    // ---- Events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;

    // ---- Tray calls: true when the shell reported success ----
    virtual bool AddToTray();
    virtual bool RemoveFromTray();
    virtual bool RefreshTrayIcon();

    // Restores the application window and shows the main window.
    void RevealMainForm();
    // Hides the main window and the application window.
    void ConcealMainForm();
    // Opens the popup menu at the pointer; returns when it closes.
    void PopupMenuAtCursor();

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    // ---- Dispatch: each raises its event, when one is set ----
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    // Hides the windows and makes sure the icon is in the tray.
    virtual void SendToTray();

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // Fills hIcon and szTip for the next shell call; false when no call may be made.
    bool PrepareIconRecord();
    // Shift, Ctrl and Alt as they are now.
    static TShiftState CurrentShiftState();
    void CycleTimerTick(TObject* sender);

    // What every shell call is given, and the window it names.
    const TNotifyIconRecord& IconRecord() const { return iconRecord_; }
    HWND TrayWindow() const { return iconRecord_.hWnd; }
    TTimer* CycleTimer() const { return cycleTimer_; }

private:
    static LRESULT CALLBACK TrayWindowEntry(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ApplicationHookEntry(HWND self, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK OwnerHookEntry(HWND self, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    void HandleTrayNotification(UINT mouseMessage);
    LRESULT ApplicationHookProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OwnerHookProc(UINT msg, WPARAM wp, LPARAM lp);
    void AttachApplicationHook();
    void AttachOwnerHook();
    void DetachApplicationHook();
    void DetachOwnerHook();
    // The owner's window (created if needed), or null when the owner is no window.
    HWND OwnerWindow() const;
    void RunDefaultItem();
    void CreateTrayWindow();
    bool CallShell(DWORD message);

    TNotifyIconRecord iconRecord_{};
    TIcon icon_;
    TTimer* cycleTimer_ = nullptr;  // owned
    bool designPreview_ = false;
    TImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    unsigned cycleInterval_ = 0;
    std::string hint_;
    bool showHint_ = true;
    bool iconVisible_ = true;
    bool inTray_ = false;  // the shell took the icon (NIM_ADD succeeded) and it was not removed since
    int iconIndex_ = 0;
    TPopupMenu* popupMenu_ = nullptr;

    bool clickPending_ = false;
    bool previewForcing_ = false;
    bool firstPositionPending_ = true;

    HWND applicationWindow_ = nullptr;
    WNDPROC savedApplicationProc_ = nullptr;
    std::unique_ptr<TWndProcStub> applicationHookStub_;
    HWND ownerWindow_ = nullptr;
    WNDPROC savedOwnerProc_ = nullptr;
    std::unique_ptr<TWndProcStub> ownerHookStub_;
};
