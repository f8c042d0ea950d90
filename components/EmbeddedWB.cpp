// TWebBrowser and TEmbeddedWB: the browser object, its events, construction
// and destruction of the host, option setters, navigation and page loading.
// The host callbacks are in EmbeddedWBHost.cpp, the DDE parts in
// EmbeddedWBDde.cpp.
#include "EmbeddedWB.h"

#include "EmbeddedWBHost.h"
#include "Forms.h"
#include "StreamAdapter.h"

namespace {

// ---- module start and end -------------------------------------------------

unsigned short FpuControlWord() {
    unsigned short cw = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(cw));
    return cw;
}

void SetFpuControlWord(unsigned short cw) { __asm__ __volatile__("fldcw %0" : : "m"(cw)); }

// Started before the first browser object is created; ended at process exit,
// after everything else that used OLE.
struct TBrowserModule {
    TBrowserModule() : savedControlWord(FpuControlWord()) { OleInitialize(nullptr); }
    ~TBrowserModule() {
        SetFpuControlWord(savedControlWord);
        try {
            OleUninitialize();
        } catch (...) {
        }
        FreeHtmlHelp();
    }
    unsigned short savedControlWord;
};

TBrowserModule& Module() {
    static TBrowserModule module;
    return module;
}

// ---- the browser's control description ------------------------------------

constexpr CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
constexpr IID kDiidWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
constexpr IID kIidWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

constexpr DISPID kEventDispIDs[18] = {102, 108, 105, 106, 104, 113, 112, 250, 251,
                                      252, 259, 253, 254, 255, 256, 257, 258, 260};
const TControlData::SlotCaller kEventSlots[18] = {
    OleEventSlot<&TWebBrowser::OnStatusTextChange>, OleEventSlot<&TWebBrowser::OnProgressChange>,
    OleEventSlot<&TWebBrowser::OnCommandStateChange>, OleEventSlot<&TWebBrowser::OnDownloadBegin>,
    OleEventSlot<&TWebBrowser::OnDownloadComplete>, OleEventSlot<&TWebBrowser::OnTitleChange>,
    OleEventSlot<&TWebBrowser::OnPropertyChange>, OleEventSlot<&TWebBrowser::OnBeforeNavigate2>,
    OleEventSlot<&TWebBrowser::OnNewWindow2>, OleEventSlot<&TWebBrowser::OnNavigateComplete2>,
    OleEventSlot<&TWebBrowser::OnDocumentComplete>, OleEventSlot<&TWebBrowser::OnQuit>,
    OleEventSlot<&TWebBrowser::OnVisible>, OleEventSlot<&TWebBrowser::OnToolBar>,
    OleEventSlot<&TWebBrowser::OnMenuBar>, OleEventSlot<&TWebBrowser::OnStatusBar>,
    OleEventSlot<&TWebBrowser::OnFullScreen>, OleEventSlot<&TWebBrowser::OnTheaterMode>,
};
const TControlData kWebBrowserData{kClsidWebBrowser, kDiidWebBrowserEvents2, 18, kEventDispIDs, kEventSlots};

// Starts the module on the way into the first control's construction.
const TControlData& WebBrowserData() {
    Module();
    return kWebBrowserData;
}

constexpr DISPID kDispidAmbientDlControl = -5512;
constexpr DISPID kDispidNavigateError = 271;
constexpr const char* kPostPlatformKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

// An integer variant (VT_I4) holding 0.
struct TZeroVariant : TVariant {
    TZeroVariant() {
        Get().vt = VT_I4;
        Get().lVal = 0;
    }
};

}  // namespace

// ---- TWebBrowser ----------------------------------------------------------

TWebBrowser::TWebBrowser(TComponent* owner, TOleCreation creation)
    : TOleControl(owner, WebBrowserData(), creation) {}

IWebBrowser2* TWebBrowser::DefaultInterface() {
    if (!browser_) {
        RequireObject();
        browser_ = TComPtr<IOleObject>(OleObject()).As<IWebBrowser2>(kIidWebBrowser2);
        if (!browser_) RaiseInterfaceNotSupported();
    }
    return browser_.Get();
}

void TWebBrowser::ReleasingObject() { browser_.Reset(); }

// ---- TPrintOptions --------------------------------------------------------

TPrintOptions::TPrintOptions() : margins_(std::make_unique<TMargins>()), htmlHeader_(std::make_unique<TStringList>()) {
    htmlHeader_->Add("<HTML></HTML>");
}

// ---- TEmbeddedWB: construction and destruction ----------------------------

TEmbeddedWB::TEmbeddedWB(TComponent* owner) : TEmbeddedWB(owner, TOleCreation::Required) {}

TEmbeddedWB::TEmbeddedWB(TComponent* owner, TOleCreation creation)
    : TWebBrowser(owner, creation), host_(std::make_unique<THostCallbacks>(*this)) {
    try {
        Construct(creation);
    } catch (...) {
        if (ddeWindow_) DestroyWindow(ddeWindow_);
        throw;
    }
}

void TEmbeddedWB::Construct(TOleCreation creation) {
    fpExceptions_ = true;
    // The DDE service drives the browser object; a control without one (the
    // icon pages once the browser has failed) has nothing to serve, and
    // neither reads the names nor makes the window. Under Wine that window, a
    // top-level one, cost about 25 ms, and the seven registry reads some
    // twenty round trips to the server: most of a page's start-up.
    if (HasObject()) {
        ddeNames_ = ReadDdeNames(HKEY_CLASSES_ROOT);
        CreateDdeWindow();
    }
    printOptions_ = std::make_unique<TPrintOptions>();
    char measure[10] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, sizeof measure);
    usesInches_ = measure[0] == '1';
    // These two complete the object's setup (they read its Application).
    try {
        SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                            TDownloadControlOption::DLCTL_BGSOUNDS});
        SetUserInterfaceOptions({});
    } catch (const Exception& e) {
        if (creation == TOleCreation::Required) throw;
        AbandonObject(e.Message());
    }
    EnableDDE = false;
}

TEmbeddedWB::~TEmbeddedWB() {
    if (ddeWindow_) {
        SetWindowLongPtrA(ddeWindow_, GWLP_USERDATA, 0);
        DestroyWindow(ddeWindow_);
        ddeWindow_ = nullptr;
    }
    printOptions_.reset();
    // The owner hook is never installed here: nothing to undo.
    RemoveUserAgentToken();
    try {
        ReleaseObject();
    } catch (...) {
    }
}

void TEmbeddedWB::RemoveUserAgentToken() noexcept {
    // Only a token this control has: an empty one names the key's default value.
    if (UserAgent.empty()) return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPostPlatformKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, UserAgent.c_str());
    RegCloseKey(key);
}

void TEmbeddedWB::Loaded() {
    TWebBrowser::Loaded();
    // A control read from a layout registers its user-agent token and takes
    // the stored options.
    SetDownloadOptions(downloadOptions_);
    SetUserInterfaceOptions(userInterfaceOptions_);
    if (UserAgent.empty()) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPostPlatformKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, UserAgent.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        RegCloseKey(key);
    }
}

// ---- option setters -------------------------------------------------------

void TEmbeddedWB::SetDownloadOptions(TDownloadControlOptions options) {
    downloadOptions_ = options;
    downloadControlValue_ = DownloadControlFlags(options);
    AmbientDownloadControlChanged();
}

void TEmbeddedWB::SetUserInterfaceOptions(TUserInterfaceOptions options) {
    userInterfaceOptions_ = options;
    hostFlagsValue_ = HostUIFlags(options);
    // The browser takes new host flags when it next asks for the host info.
    AmbientDownloadControlChanged();
}

void TEmbeddedWB::AmbientDownloadControlChanged() {
    if (!HasObject()) return;  // an object-less control has nobody to tell
    TComPtr<IDispatch> app = ApplicationDispatch();
    auto control = app.As<IOleControl>(IID_IOleControl);
    if (!control) RaiseInterfaceNotSupported();
    control->OnAmbientPropertyChange(kDispidAmbientDlControl);
}

void TEmbeddedWB::SetfpExceptions(bool value) {
    if (value) SetFpuControlWord(Module().savedControlWord);
    else SetFpuControlWord(0x133F);  // all six exceptions masked, 64-bit precision, round to nearest
    fpExceptions_ = value;
}

// ---- navigation and loading -----------------------------------------------

void TEmbeddedWB::NavigateTo(const std::string& url) {
    IWebBrowser2* browser = DefaultInterface();
    TVariant target;
    target.Get().vt = VT_BSTR;
    target.Get().bstrVal = TBStr(AnsiToWide(url)).Detach();
    TZeroVariant flags, frame, postData, headers;
    OleCheck(browser->Navigate2(&target, &flags, &frame, &postData, &headers));
}

void TEmbeddedWB::EventReceived(DISPID id, DISPPARAMS& params) {
    if (id != kDispidNavigateError) return;
    navigationFailed_ = true;
    // NavigateError(pDisp, URL, Frame, StatusCode, Cancel): the status code is the fourth.
    if (params.cArgs >= 4) {
        TVariant code;
        if (SUCCEEDED(VariantChangeType(&code, const_cast<VARIANT*>(&oleevent::Deref(params.rgvarg[params.cArgs - 4])),
                                        0, VT_I4)))
            navigationError_ = code.Get().lVal;
    }
}

void TEmbeddedWB::EnsureBlankDocument() {
    navigationFailed_ = false;
    navigationError_ = 0;
    NavigateTo("about:blank");
    const DWORD start = GetTickCount();
    for (;;) {
        if (ReadyState() == READYSTATE_COMPLETE) return;
        if (navigationFailed_) {
            char text[96];
            wsprintfA(text, "The browser could not load its blank document (error %.8lx)",
                      static_cast<unsigned long>(navigationError_));
            throw EOleError(navigationError_ ? navigationError_ : E_FAIL, text);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= BlankDocumentTimeout)
            throw EOleError(static_cast<long>(0x800705B4L) /* ERROR_TIMEOUT */,
                            "The browser did not complete its blank document");
        // Sleep until a message arrives (or a short while passes), then let it run.
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(BlankDocumentTimeout - elapsed, 50), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        if (Application) {
            Application->ProcessMessages();
        } else {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}

HRESULT TEmbeddedWB::LoadDocument(IStream* stream) {
    TComPtr<IDispatch> document = Document();
    auto persist = document.As<IPersistStreamInit>(IID_IPersistStreamInit);
    if (!persist) RaiseInterfaceNotSupported();
    return persist->Load(stream);
}

HRESULT TEmbeddedWB::LoadPageFromStream(TStream& stream) {
    if (!Document()) EnsureBlankDocument();
    stream.SetPosition(0);
    TStreamAdapter* adapter = TStreamAdapter::Create(&stream);
    HRESULT hr;
    try {
        hr = LoadDocument(adapter);
    } catch (...) {
        adapter->Release();
        throw;
    }
    adapter->Release();
    return hr;
}

HRESULT TEmbeddedWB::LoadPageFromLines(const TStringList& lines) {
    if (!Document()) EnsureBlankDocument();
    // The adapter owns the page's stream: the document may keep reading it
    // after this call returns.
    auto* stream = new TMemoryStream();
    TStreamAdapter* adapter = TStreamAdapter::Create(stream, TStreamOwnership::soOwned);
    HRESULT hr;
    try {
        stream->WriteText(lines.Text());
        stream->SetPosition(0);
        hr = LoadDocument(adapter);
    } catch (...) {
        hr = S_FALSE;
    }
    adapter->Release();
    return hr;
}
