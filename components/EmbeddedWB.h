// The embedded web browser: TWebBrowser (the browser object in a TOleControl
// site, its events and typed access) and TEmbeddedWB (the browser host: page
// loading from text, navigation, download and host-UI flags, and the answers
// to the browser's host callbacks).
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>

#include <memory>
#include <string>

#include "EmbeddedWBOptions.h"
#include "OleCtrls.h"
#include "StringList.h"
#include "Streams.h"

// ---- TWebBrowser ----------------------------------------------------------

using TWebBrowserStatusTextChange = TEvent<TObject*, const wchar_t*>;
using TWebBrowserProgressChange = TEvent<TObject*, long, long>;
using TWebBrowserCommandStateChange = TEvent<TObject*, long, bool>;
// Sender and the document's new title, valid only during the call.
using TWebBrowserTitleChange = TEvent<TObject*, const wchar_t*>;
using TWebBrowserPropertyChange = TEvent<TObject*, const wchar_t*>;
// Sender, pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
using TWebBrowserBeforeNavigate2 =
    TEvent<TObject*, IDispatch*, VARIANT&, VARIANT&, VARIANT&, VARIANT&, VARIANT&, VARIANT_BOOL&>;
using TWebBrowserNewWindow2 = TEvent<TObject*, IDispatch*&, VARIANT_BOOL&>;
using TWebBrowserNavigateComplete2 = TEvent<TObject*, IDispatch*, VARIANT&>;
using TWebBrowserDocumentComplete = TEvent<TObject*, IDispatch*, VARIANT&>;
using TWebBrowserOnVisible = TEvent<TObject*, bool>;

class TWebBrowser : public TOleControl {
public:
    explicit TWebBrowser(TComponent* owner, TOleCreation creation = TOleCreation::Required);
    const char* ClassName() const override { return "TWebBrowser"; }

    // The object's IWebBrowser2, obtained on first use and kept.
    IWebBrowser2* DefaultInterface();
    // The document's automation interface (an owning pointer), or empty.
    TComPtr<IDispatch> Document() { return ReadDispatchProperty(203); }
    TComPtr<IDispatch> ApplicationDispatch() { return ReadDispatchProperty(200); }
    // READYSTATE_COMPLETE (4) once the document is complete.
    int ReadyState() { return ReadIntegerProperty(-525); }

    // In the order of the event table (ControlData).
    TWebBrowserStatusTextChange OnStatusTextChange;
    TWebBrowserProgressChange OnProgressChange;
    TWebBrowserCommandStateChange OnCommandStateChange;
    TNotifyEvent OnDownloadBegin;
    TNotifyEvent OnDownloadComplete;
    TWebBrowserTitleChange OnTitleChange;
    TWebBrowserPropertyChange OnPropertyChange;
    TWebBrowserBeforeNavigate2 OnBeforeNavigate2;
    TWebBrowserNewWindow2 OnNewWindow2;
    TWebBrowserNavigateComplete2 OnNavigateComplete2;
    TWebBrowserDocumentComplete OnDocumentComplete;
    TNotifyEvent OnQuit;
    TWebBrowserOnVisible OnVisible;
    TWebBrowserOnVisible OnToolBar;
    TWebBrowserOnVisible OnMenuBar;
    TWebBrowserOnVisible OnStatusBar;
    TWebBrowserOnVisible OnFullScreen;
    TWebBrowserOnVisible OnTheaterMode;

protected:
    void ReleasingObject() override;

private:
    TComPtr<IWebBrowser2> browser_;
};

// ---- TEmbeddedWB ----------------------------------------------------------

struct TMargins {
    double Left = 0, Right = 0, Top = 0, Bottom = 0;
};
enum TPrintOrientationOption { poPortrait, poLandscape };

// Page-setup values (read only by print features this program leaves off).
class TPrintOptions {
public:
    TPrintOptions();
    TMargins& Margins() { return *margins_; }
    std::string Header;
    std::string Footer;
    TStringList& HTMLHeader() { return *htmlHeader_; }
    // Copies the given lines.
    void SetHTMLHeader(const TStringList& lines) { *htmlHeader_ = lines; }
    TPrintOrientationOption Orientation = poPortrait;
    bool Measure = false;

private:
    std::unique_ptr<TMargins> margins_;
    std::unique_ptr<TStringList> htmlHeader_;
};

using TDOCHOSTUIINFO = DOCHOSTUIINFO;
using TUnloadEvent = TNotifyEvent;
using TRefreshEvent = TEvent<TObject*, int, bool&>;
// Sender, ErrorLine, ErrorCharacter, ErrorCode, ErrorMessage, ErrorUrl, ContinueScript, Showdialog.
using TScriptErrorEvent = TEvent<TObject*, const std::string&, const std::string&, const std::string&,
                                 const std::string&, const std::string&, bool&, bool&>;
// The UI-handler events carry the interface method's arguments and answer it.
using TGetOverrideKeyPathEvent = TResultEvent<HRESULT, LPOLESTR*, DWORD>;
using TShowContextMenuEvent = TResultEvent<HRESULT, DWORD, POINT*, IUnknown*, IDispatch*>;
using TGetHostInfoEvent = TResultEvent<HRESULT, TDOCHOSTUIINFO*>;
using TShowUIEvent =
    TResultEvent<HRESULT, DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*, IOleInPlaceUIWindow*>;
using THideUIEvent = TResultEvent<HRESULT>;
using TUpdateUIEvent = TResultEvent<HRESULT>;
using TEnableModelessEvent = TResultEvent<HRESULT, BOOL>;
using TOnDocWindowActivateEvent = TResultEvent<HRESULT, BOOL>;
using TOnFrameWindowActivateEvent = TResultEvent<HRESULT, BOOL>;
using TResizeBorderEvent = TResultEvent<HRESULT, LPCRECT, IOleInPlaceUIWindow*, BOOL>;
using TTranslateAcceleratorEvent = TResultEvent<HRESULT, LPMSG, const GUID*, DWORD>;
using TGetOptionKeyPathEvent = TResultEvent<HRESULT, LPOLESTR*, DWORD>;
using TGetDropTargetEvent = TResultEvent<HRESULT, IDropTarget*, IDropTarget**>;
using TGetExternalEvent = TResultEvent<HRESULT, IDispatch**>;
using TTranslateUrlEvent = TResultEvent<HRESULT, DWORD, OLECHAR*, OLECHAR**>;
using TFilterDataObjectEvent = TResultEvent<HRESULT, IDataObject*, IDataObject**>;
using TShowMessageEvent = TResultEvent<HRESULT, HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*>;
using TShowHelpEvent = TResultEvent<HRESULT, HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*>;
using TGetTypeInFoCountEvent = TResultEvent<HRESULT, UINT*>;
using TGetTypeInfoEvent = TResultEvent<HRESULT, UINT, LCID, ITypeInfo**>;
using TGetIDsOfNamesEvent = TResultEvent<HRESULT, const IID*, LPOLESTR*, UINT, LCID, DISPID*>;
using TInvokeEvent =
    TResultEvent<HRESULT, DISPID, const IID*, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*>;
using TQueryServiceEvent = TResultEvent<HRESULT, const GUID*, const IID*, void**>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
using TShowDialogEvent = TEvent<TObject*, HWND>;

// The DDE command names the shell registers for HTML files and folders.
struct TDdeNames {
    std::string HtmlApplication, HtmlTopic, FolderApplication, FolderTopic;
    std::string FolderOpenCommand, FolderExploreCommand, FindCommand;
};
// Reads them from `root` (HKEY_CLASSES_ROOT for the control); a key that
// cannot be opened gives an empty name, and an error ends the reading.
TDdeNames ReadDdeNames(HKEY root) noexcept;

class THostCallbacks;

class TEmbeddedWB : public TWebBrowser {
public:
    explicit TEmbeddedWB(TComponent* owner);
    ~TEmbeddedWB() override;
    const char* ClassName() const override { return "TEmbeddedWB"; }

    // Loads the lines (each followed by CR LF, ANSI bytes, no BOM) as the
    // page; Load's status, or S_FALSE when writing or loading raised.
    HRESULT LoadPageFromLines(const TStringList& lines);
    // Loads the page from `stream` (from its start); Load's status. The
    // caller keeps the stream alive while the document may read it.
    HRESULT LoadPageFromStream(TStream& stream);
    // Navigates to "about:blank" and waits, pumping messages, until the
    // document is complete; raises when the navigation fails or when
    // BlankDocumentTimeout passes first.
    void EnsureBlankDocument();
    void NavigateTo(const std::string& url);
    // Milliseconds EnsureBlankDocument waits at most.
    DWORD BlankDocumentTimeout = 10000;

    TDownloadControlOptions DownloadOptions() const { return downloadOptions_; }
    void SetDownloadOptions(TDownloadControlOptions options);
    TUserInterfaceOptions UserInterfaceOptions() const { return userInterfaceOptions_; }
    void SetUserInterfaceOptions(TUserInterfaceOptions options);
    bool fpExceptions() const { return fpExceptions_; }
    void SetfpExceptions(bool value);

    std::string UserAgent;
    bool ReplaceCaption = false;
    TPrintOptions& PrintOptions() { return *printOptions_; }
    bool EnableDDE = false;
    std::string HelpFile;

    std::uint32_t DownloadControlValue() const { return downloadControlValue_; }
    std::uint32_t HostFlagsValue() const { return hostFlagsValue_; }
    bool UsesInches() const { return usesInches_; }
    // The DDE service's hidden window and command names; null and empty for
    // a control made without a browser object (TOleCreation::None).
    HWND DdeWindow() const { return ddeWindow_; }
    const TDdeNames& DdeNames() const { return ddeNames_; }

    TUnloadEvent OnUnload;
    TRefreshEvent OnRefresh;
    TScriptErrorEvent OnScriptError;
    TGetOverrideKeyPathEvent OnGetOverrideKeyPath;
    TShowContextMenuEvent OnShowContextMenu;
    TGetHostInfoEvent OnGetHostInfo;
    TShowUIEvent OnShowUI;
    THideUIEvent OnHideUI;
    TUpdateUIEvent OnUpdateUI;
    TEnableModelessEvent OnEnableModeless;
    TOnDocWindowActivateEvent OnOnDocWindowActivate;
    TOnFrameWindowActivateEvent OnOnFrameWindowActivate;
    TResizeBorderEvent OnResizeBorder;
    TTranslateAcceleratorEvent OnTranslateAccelerator;
    TGetOptionKeyPathEvent OnGetOptionKeyPath;
    TGetDropTargetEvent OnGetDropTarget;
    TGetExternalEvent OnGetExternal;
    TTranslateUrlEvent OnTranslateUrl;
    TFilterDataObjectEvent OnFilterDataObject;
    TShowMessageEvent OnShowMessage;
    TShowHelpEvent OnShowHelp;
    TGetTypeInFoCountEvent OnGetTypeInfoCount;
    TGetTypeInfoEvent OnGetTypeInfo;
    TGetIDsOfNamesEvent OnGetIDsOfNames;
    TInvokeEvent OnInvoke;
    TQueryServiceEvent OnQueryService;
    TCloseQueryEvent OnCloseQuery;
    TShowDialogEvent OnShowDialog;

    // The site's interfaces: the host's own first, then the generic site's.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;

protected:
    // For derived controls that must survive a browser that cannot be
    // created or activated (see TOleCreation).
    TEmbeddedWB(TComponent* owner, TOleCreation creation);
    void Loaded() override;
    void EventReceived(DISPID id, DISPPARAMS& params) override;

private:
    friend class THostCallbacks;
    void Construct(TOleCreation creation);
    void AmbientDownloadControlChanged();
    void CreateDdeWindow();
    static LRESULT CALLBACK DdeWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DdeMessage(UINT msg, WPARAM wp, LPARAM lp);
    void RemoveUserAgentToken() noexcept;
    HRESULT LoadDocument(IStream* stream);

    std::unique_ptr<THostCallbacks> host_;
    std::unique_ptr<TPrintOptions> printOptions_;
    TDownloadControlOptions downloadOptions_;
    TUserInterfaceOptions userInterfaceOptions_;
    std::uint32_t downloadControlValue_ = 0;
    std::uint32_t hostFlagsValue_ = 0;
    bool usesInches_ = false;
    HWND ddeWindow_ = nullptr;
    TDdeNames ddeNames_;
    bool fpExceptions_ = true;
    // Set when the browser reports that the navigation failed.
    bool navigationFailed_ = false;
    long navigationError_ = 0;
};
