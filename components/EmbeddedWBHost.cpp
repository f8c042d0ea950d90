// The browser host's answers to the browser's callbacks. Each consults its
// event slot; without a handler it gives the default that lets the browser
// behave as it does on its own. No C++ exception leaves a method: one that a
// handler lets escape goes to the standard error report and the browser
// gets E_FAIL.
#include "EmbeddedWBHost.h"

#include <mshtml.h>

#include "EmbeddedWB.h"
#include "Forms.h"

namespace {
constexpr IID kIidDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
constexpr IID kIidDocHostUIHandler2 = {0x3050F6D0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
constexpr IID kIidDocHostShowUI = {0xC4D244B0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
constexpr IID kIidOleCommandTarget = {0xB722BCCB, 0x4E68, 0x101B, {0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70}};
constexpr IID kIidServiceProvider = {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
constexpr IID kIidHTMLDocument2 = {0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
constexpr GUID kCgidExplorer = {0x000214D0, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kCgidDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};

constexpr DISPID kDispidAmbientDlControl = -5512;
constexpr DWORD kCmdUnload = 37;
constexpr DWORD kCmdShowScriptError = 40;

#define HOST_GUARD_BEGIN try {
#define HOST_GUARD_END             \
    }                              \
    catch (...) {                  \
        HandleCallbackException(); \
        return E_FAIL;             \
    }

// ---- HTML Help, loaded on first use ---------------------------------------

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
HMODULE htmlHelpLibrary = nullptr;
HtmlHelpProc htmlHelp = nullptr;
bool htmlHelpTried = false;

HtmlHelpProc HtmlHelpEntry() {
    if (!htmlHelpTried) {
        htmlHelpTried = true;
        UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        htmlHelpLibrary = LoadLibraryA("hhctrl.ocx");
        SetErrorMode(oldMode);
        if (htmlHelpLibrary)
            htmlHelp = reinterpret_cast<HtmlHelpProc>(
                reinterpret_cast<void*>(GetProcAddress(htmlHelpLibrary, "HtmlHelpA")));
    }
    return htmlHelp;
}

// A property of `object` read late-bound by name, as a string.
std::string NamedProperty(IDispatch* object, const wchar_t* name) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        throw Exception("'" + WideToAnsi(name) + "' not supported.");
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    TVariant value;
    OleCheck(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr));
    if (value.Type() == VT_EMPTY || value.Type() == VT_NULL) return {};
    OleCheck(VariantChangeType(&value, &value, 0, VT_BSTR));
    return WideToAnsi(value.Get().bstrVal);
}
}  // namespace

void FreeHtmlHelp() noexcept {
    if (htmlHelpLibrary) FreeLibrary(htmlHelpLibrary);
    htmlHelpLibrary = nullptr;
    htmlHelp = nullptr;
}

// ---- IUnknown -------------------------------------------------------------

bool THostCallbacks::Find(REFIID iid, void** out) {
    if (iid == kIidOleCommandTarget) *out = static_cast<IOleCommandTarget*>(this);
    else if (iid == kIidServiceProvider) *out = static_cast<IServiceProvider*>(this);
    else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == kIidDocHostUIHandler || iid == kIidDocHostUIHandler2) *out = static_cast<IDocHostUIHandler2*>(this);
    else if (iid == kIidDocHostShowUI) *out = static_cast<IDocHostShowUI*>(this);
    else return false;
    AddRef();
    return true;
}

STDMETHODIMP TEmbeddedWB::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (host_ && host_->Find(iid, out)) return S_OK;
    return TWebBrowser::QueryInterface(iid, out);
}

STDMETHODIMP THostCallbacks::QueryInterface(REFIID iid, void** out) { return control_.QueryInterface(iid, out); }
STDMETHODIMP_(ULONG) THostCallbacks::AddRef() { return control_.AddRef(); }
STDMETHODIMP_(ULONG) THostCallbacks::Release() { return control_.Release(); }

// ---- IOleCommandTarget ----------------------------------------------------

STDMETHODIMP THostCallbacks::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return S_OK; }

STDMETHODIMP THostCallbacks::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) {
    if (!group) return OLECMDERR_E_UNKNOWNGROUP;
    HRESULT result = OLECMDERR_E_NOTSUPPORTED;
    HOST_GUARD_BEGIN
    if (*group == kCgidExplorer && command == kCmdUnload) {
        if (control_.OnUnload) control_.OnUnload(&control_);
    } else if (*group == kCgidDocHostCommandHandler) {
        if ((command == 2300 || command == 6041 || command == 6042) && control_.OnRefresh) {
            bool cancel = false;
            control_.OnRefresh(&control_, static_cast<int>(command), cancel);
            if (cancel) result = S_OK;
            return result;
        }
        if (command == kCmdShowScriptError && control_.OnScriptError) ScriptError(out, result);
    }
    return result;
    HOST_GUARD_END
}

void THostCallbacks::ScriptError(VARIANT* out, HRESULT& result) {
    auto document = control_.Document().As<IHTMLDocument2>(kIidHTMLDocument2);
    if (!document) RaiseInterfaceNotSupported();
    TComPtr<IHTMLWindow2> window;
    OleCheck(document->get_parentWindow(window.Put()));
    TComPtr<IHTMLEventObj> event;
    if (window) window->get_event(event.Put());
    if (!event) return;
    auto object = event.As<IDispatch>(IID_IDispatch);
    if (!object) RaiseInterfaceNotSupported();
    std::string character = NamedProperty(object.Get(), L"errorCharacter");
    std::string code = NamedProperty(object.Get(), L"errorCode");
    std::string message = NamedProperty(object.Get(), L"errorMessage");
    std::string url = NamedProperty(object.Get(), L"errorUrl");
    std::string line = NamedProperty(object.Get(), L"errorline");
    bool continueScript = true, showDialog = true;
    control_.OnScriptError(&control_, line, character, code, message, url, continueScript, showDialog);
    if (out) {
        VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = continueScript ? VARIANT_TRUE : VARIANT_FALSE;
    }
    if (!showDialog) result = S_OK;
}

// ---- IServiceProvider -----------------------------------------------------

STDMETHODIMP THostCallbacks::QueryService(REFGUID service, REFIID iid, void** out) {
    if (out) *out = nullptr;
    HOST_GUARD_BEGIN
    if (control_.OnQueryService) return control_.OnQueryService(&service, &iid, out);
    return E_NOINTERFACE;
    HOST_GUARD_END
}

// ---- IDispatch: ambient properties ----------------------------------------

STDMETHODIMP THostCallbacks::GetTypeInfoCount(UINT* count) {
    HOST_GUARD_BEGIN
    if (control_.OnGetTypeInfoCount) return control_.OnGetTypeInfoCount(count);
    if (count) *count = 0;
    return E_NOTIMPL;
    HOST_GUARD_END
}

STDMETHODIMP THostCallbacks::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    if (info) *info = nullptr;
    HOST_GUARD_BEGIN
    if (control_.OnGetTypeInfo) return control_.OnGetTypeInfo(index, locale, info);
    return E_NOTIMPL;
    HOST_GUARD_END
}

STDMETHODIMP THostCallbacks::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    HOST_GUARD_BEGIN
    if (control_.OnGetIDsOfNames) return control_.OnGetIDsOfNames(&iid, names, count, locale, ids);
    return E_NOTIMPL;
    HOST_GUARD_END
}

STDMETHODIMP THostCallbacks::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* info, UINT* argErr) {
    HOST_GUARD_BEGIN
    if ((flags & DISPATCH_PROPERTYGET) && id == kDispidAmbientDlControl && result) {
        VariantClear(result);
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(control_.DownloadControlValue());
        return S_OK;
    }
    if (control_.OnInvoke) return control_.OnInvoke(id, &iid, locale, flags, params, result, info, argErr);
    return control_.TOleControl::Invoke(id, iid, locale, flags, params, result, info, argErr);
    HOST_GUARD_END
}

// ---- IDocHostUIHandler ----------------------------------------------------

// An assigned handler answers; S_FALSE (the browser's own way) otherwise.
#define ANSWER_OR(slot, fallback, ...)                         \
    HOST_GUARD_BEGIN                                           \
    if (control_.slot) return control_.slot(__VA_ARGS__);      \
    return fallback;                                           \
    HOST_GUARD_END

STDMETHODIMP THostCallbacks::ShowContextMenu(DWORD id, POINT* pt, IUnknown* reserved, IDispatch* dispReserved) {
    ANSWER_OR(OnShowContextMenu, S_FALSE, id, pt, reserved, dispReserved)
}

STDMETHODIMP THostCallbacks::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    // 20: the size of the record's original form, whatever size came in.
    info->cbSize = 20;
    info->dwFlags = control_.HostFlagsValue();
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    ANSWER_OR(OnGetHostInfo, S_OK, info)
}

STDMETHODIMP THostCallbacks::ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                                    IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) {
    ANSWER_OR(OnShowUI, S_FALSE, id, active, target, frame, doc)
}

STDMETHODIMP THostCallbacks::HideUI() { ANSWER_OR(OnHideUI, S_FALSE) }
STDMETHODIMP THostCallbacks::UpdateUI() { ANSWER_OR(OnUpdateUI, S_FALSE) }
STDMETHODIMP THostCallbacks::EnableModeless(BOOL enable) { ANSWER_OR(OnEnableModeless, S_FALSE, enable) }
STDMETHODIMP THostCallbacks::OnDocWindowActivate(BOOL activate) {
    ANSWER_OR(OnOnDocWindowActivate, S_FALSE, activate)
}
STDMETHODIMP THostCallbacks::OnFrameWindowActivate(BOOL activate) {
    ANSWER_OR(OnOnFrameWindowActivate, S_FALSE, activate)
}
STDMETHODIMP THostCallbacks::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) {
    ANSWER_OR(OnResizeBorder, S_FALSE, border, window, frameWindow)
}
STDMETHODIMP THostCallbacks::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) {
    ANSWER_OR(OnTranslateAccelerator, S_FALSE, msg, group, command)
}
STDMETHODIMP THostCallbacks::GetOptionKeyPath(LPOLESTR* key, DWORD dw) {
    ANSWER_OR(OnGetOptionKeyPath, S_FALSE, key, dw)
}

STDMETHODIMP THostCallbacks::GetDropTarget(IDropTarget* target, IDropTarget** out) {
    if (out) *out = nullptr;
    ANSWER_OR(OnGetDropTarget, S_OK, target, out)
}

STDMETHODIMP THostCallbacks::GetExternal(IDispatch** out) {
    if (out) *out = nullptr;
    ANSWER_OR(OnGetExternal, S_FALSE, out)
}

STDMETHODIMP THostCallbacks::TranslateUrl(DWORD translate, OLECHAR* urlIn, OLECHAR** urlOut) {
    ANSWER_OR(OnTranslateUrl, S_FALSE, translate, urlIn, urlOut)
}

STDMETHODIMP THostCallbacks::FilterDataObject(IDataObject* object, IDataObject** out) {
    if (out) *out = nullptr;
    ANSWER_OR(OnFilterDataObject, S_FALSE, object, out)
}

STDMETHODIMP THostCallbacks::GetOverrideKeyPath(LPOLESTR* key, DWORD dw) {
    ANSWER_OR(OnGetOverrideKeyPath, S_OK, key, dw)
}

// ---- IDocHostShowUI -------------------------------------------------------

STDMETHODIMP THostCallbacks::ShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                                         DWORD helpContext, LRESULT* result) {
    ANSWER_OR(OnShowMessage, S_FALSE, wnd, text, caption, type, helpFile, helpContext, result)
}

STDMETHODIMP THostCallbacks::ShowHelp(HWND wnd, LPOLESTR helpFile, UINT command, DWORD data, POINT mouse,
                                      IDispatch* hit) {
    HOST_GUARD_BEGIN
    if (control_.OnShowHelp) return control_.OnShowHelp(wnd, helpFile, command, data, mouse, hit);
    if (control_.HelpFile.empty()) return S_FALSE;
    // A help library that cannot be loaded shows nothing; the answer stays S_OK.
    if (HtmlHelpProc entry = HtmlHelpEntry()) entry(wnd, control_.HelpFile.c_str(), command, data);
    return S_OK;
    HOST_GUARD_END
}
