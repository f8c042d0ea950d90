// TForm (top-level windows read from layouts) and TApplication (the one
// application object: owner window, message loop, error report).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "LayoutReader.h"
#include "ShortCuts.h"

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
using TCloseEvent = TEvent<TObject*, TCloseAction&>;
class TMainMenu;

// Components that answer keyboard short-cuts for their form (menus, action lists).
class TShortCutHandler {
public:
    virtual ~TShortCutHandler() = default;
    // True when `shortCut` was handled.
    virtual bool IsShortCut(TShortCut shortCut) = 0;
    // Menus are asked before action lists.
    virtual int ShortCutPriority() const { return 0; }
};

class TForm : public TCustomControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position = poDesigned;
    bool KeyPreview = false;

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientSize(int width, int height) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;

    // Runs OnCreate; called once the object is fully constructed (CreateForm does it).
    virtual void AfterConstruction();
    void Close();
    // Frees the form on the next turn of the message loop (safe inside its own handlers).
    void Release();
    int ShowModal();
    int ModalResult = mrNone;
    bool Modal() const { return modal_; }

    // Short-cuts of this form's menus and action lists; true when handled.
    bool IsShortCut(TShortCut shortCut);
    // Tab / Enter / Escape navigation; true when handled.
    bool DialogKey(const MSG& msg);

    // The control of this form that has the keyboard focus, or, while the
    // focus is elsewhere, the one that had it when the form was last
    // deactivated; null when there is none.
    TWinControl* ActiveControl() const;
    // Gives `control` the focus now when the form is active, else when it
    // is next activated.
    void SetActiveControl(TWinControl* control);

    // The menu shown as the window's menu bar, or null.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

    // Scales the client size, fonts and controls; the window's own frame
    // and place are the system's (see WM_DPICHANGED).
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    // The form's own place and size are not the design's to scale: the
    // client size is, before the window exists; after, the system suggests
    // the window's rectangle.
    bool ScalesBounds() const override { return false; }
    void Notification(TComponent* component, TOperation operation) override;
    // Reads the form's stored layout (an RCDATA resource) with Bindings, and
    // scales it from 96 dpi to the system's resolution.
    void ReadLayout(const char* resourceName);
    TLayoutBindings Bindings;

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(TCanvas& canvas) override;
    void VisibleChanged() override;

private:
    void DoClose(TCloseAction& action);
    void CloseModal();
    void PlaceAtShow();
    void SelectNext(bool forward);
    RECT WindowRectForClient(int width, int height) const;
    // WM_DPICHANGED: lays the form out for `dpi` and takes the rectangle
    // the system suggests for it.
    void DpiChanged(int newDpi, const RECT& suggested);

    TBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    int clientWidth_ = 0, clientHeight_ = 0;
    bool modal_ = false;
    bool placed_ = false;
    TMainMenu* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    // Creates the owner window and initialises the common controls.
    void Initialize();
    HWND Handle() const { return handle_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    TForm* MainForm() const { return mainForm_; }
    // The form whose window is this thread's active window, or null.
    TForm* ActiveForm() const;
    void SetMainForm(TForm* form) { mainForm_ = form; }
    // Show the main form when Run starts (a tray component may clear it).
    bool ShowMainForm = true;

    template <class T>
    T* CreateForm(TComponent* owner) {
        T* form = new T(owner);
        try {
            form->AfterConstruction();
        } catch (...) {
            delete form;
            throw;
        }
        if (!mainForm_) mainForm_ = form;
        return form;
    }

    void Run();
    // Handles every waiting message, then returns.
    void ProcessMessages();
    // Waits for one message and handles it.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }

    void Minimize();
    void Restore();
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    // Extra handlers for messages of the owner window; true when handled.
    using WindowHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
    void HookMainWindow(WindowHook hook) { hooks_.push_back(std::move(hook)); }

    // The standard error report for an error a handler let escape.
    void HandleException(const std::exception& error);
    void ShowException(const std::string& message);

    // Destroys `form` on the next turn of the message loop.
    void ReleaseLater(TForm* form);

private:
    bool ProcessMessage(MSG& msg);
    bool RouteKeyMessage(MSG& msg);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT AppWndProc(UINT msg, WPARAM wp, LPARAM lp);
    void FreeReleased();

    HWND handle_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::vector<WindowHook> hooks_;
    std::vector<TForm*> released_;
};

extern TApplication* Application;
