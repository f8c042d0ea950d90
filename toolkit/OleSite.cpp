// The answers of TOleControl's container interfaces. Every method body
// stops C++ exceptions: none may reach the object.
#include "OleCtrls.h"

#define SITE_GUARD_BEGIN try {
#define SITE_GUARD_END                    \
    }                                     \
    catch (...) {                         \
        HandleCallbackException();        \
        return E_FAIL;                    \
    }

// ---- IUnknown -------------------------------------------------------------

STDMETHODIMP TOleControl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_ISimpleFrameSite) *out = static_cast<ISimpleFrameSite*>(this);
    else if (iid == IID_IPropertyNotifySink) *out = static_cast<IPropertyNotifySink*>(this);
    else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleControlSite) *out = static_cast<IOleControlSite*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The control's lifetime is its owner's business: COM references only count.
STDMETHODIMP_(ULONG) TOleControl::AddRef() { return ++refs_; }
STDMETHODIMP_(ULONG) TOleControl::Release() { return refs_ > 0 ? --refs_ : 0; }

// ---- IOleClientSite -------------------------------------------------------

STDMETHODIMP TOleControl::SaveObject() { return S_OK; }
STDMETHODIMP TOleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TOleControl::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP TOleControl::ShowObject() { return S_OK; }
STDMETHODIMP TOleControl::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- IOleWindow / IOleInPlaceSite -----------------------------------------

STDMETHODIMP TOleControl::GetWindow(HWND* wnd) {
    if (!wnd) return E_POINTER;
    SITE_GUARD_BEGIN
    *wnd = ContainerWindow();
    return *wnd ? S_OK : E_FAIL;
    SITE_GUARD_END
}
STDMETHODIMP TOleControl::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP TOleControl::OnInPlaceActivate() {
    inPlaceObject_ = oleObject_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    inPlaceActive_ = oleObject_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    return S_OK;
}

STDMETHODIMP TOleControl::OnUIActivate() { return S_OK; }

STDMETHODIMP TOleControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos,
                                           RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    if (doc) *doc = nullptr;
    if (pos) *pos = ObjectRect();
    if (clip) SetRect(clip, 0, 0, 32767, 32767);
    if (info) {
        SITE_GUARD_BEGIN
        // We are our own frame; its window is the topmost parent's.
        TWinControl* top = this;
        while (top->Parent()) top = top->Parent();
        info->fMDIApp = FALSE;
        info->hwndFrame = top == this ? ParentWindow() : top->Handle();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        SITE_GUARD_END
    }
    return S_OK;
}

STDMETHODIMP TOleControl::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP TOleControl::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::OnInPlaceDeactivate() {
    inPlaceActive_.Reset();
    inPlaceObject_.Reset();
    return S_OK;
}
STDMETHODIMP TOleControl::DiscardUndoState() { return S_OK; }
STDMETHODIMP TOleControl::DeactivateAndUndo() {
    if (inPlaceObject_) inPlaceObject_->UIDeactivate();
    return S_OK;
}
STDMETHODIMP TOleControl::OnPosRectChange(const RECT* pos) {
    if (!pos) return E_POINTER;
    RECT clip{0, 0, 32767, 32767};
    if (inPlaceObject_) inPlaceObject_->SetObjectRects(pos, &clip);
    return S_OK;
}

// ---- IOleInPlaceUIWindow / IOleInPlaceFrame -------------------------------

STDMETHODIMP TOleControl::GetBorder(RECT*) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TOleControl::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TOleControl::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP TOleControl::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP TOleControl::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) { return E_NOTIMPL; }
STDMETHODIMP TOleControl::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP TOleControl::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP TOleControl::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP TOleControl::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::TranslateAccelerator(MSG*, WORD) { return S_FALSE; }

// ---- IOleControlSite ------------------------------------------------------

STDMETHODIMP TOleControl::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP TOleControl::LockInPlaceActive(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::GetExtendedControl(IDispatch** disp) {
    if (disp) *disp = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TOleControl::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container) return E_POINTER;
    HDC dc = GetDC(nullptr);
    int px = GetDeviceCaps(dc, LOGPIXELSX), py = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    // The container's units are pixels.
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(MulDiv(himetric->x, px, 2540));
        container->y = static_cast<float>(MulDiv(himetric->y, py, 2540));
    } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        himetric->x = MulDiv(static_cast<int>(container->x), 2540, px);
        himetric->y = MulDiv(static_cast<int>(container->y), 2540, py);
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

STDMETHODIMP TOleControl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }
STDMETHODIMP TOleControl::OnFocus(BOOL) { return S_OK; }
STDMETHODIMP TOleControl::ShowPropertyFrame() { return E_NOTIMPL; }

// ---- ISimpleFrameSite / IPropertyNotifySink -------------------------------

STDMETHODIMP TOleControl::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) { return S_OK; }
STDMETHODIMP TOleControl::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) { return S_OK; }
STDMETHODIMP TOleControl::OnChanged(DISPID) { return S_OK; }
STDMETHODIMP TOleControl::OnRequestEdit(DISPID) { return S_OK; }

// ---- IDispatch: ambient properties ----------------------------------------

STDMETHODIMP TOleControl::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}
STDMETHODIMP TOleControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TOleControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP TOleControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    SITE_GUARD_BEGIN
    if ((flags & DISPATCH_PROPERTYGET) && result) {
        VariantClear(result);
        if (GetAmbientProperty(id, *result)) return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
    SITE_GUARD_END
}

namespace {
void SetBool(VARIANT& v, bool b) {
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}
void SetInt(VARIANT& v, long n) {
    v.vt = VT_I4;
    v.lVal = n;
}

IFontDisp* CreateFontObject(TFont& font) {
    std::wstring name = AnsiToWide(font.Name());
    LOGFONTA lf{};
    GetObjectA(font.Handle(), sizeof lf, &lf);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = name.data();
    desc.cySize.int64 = static_cast<LONGLONG>(font.Size()) * 10000;
    desc.sWeight = static_cast<SHORT>(lf.lfWeight ? lf.lfWeight : FW_NORMAL);
    desc.sCharset = static_cast<SHORT>(font.Charset());
    desc.fItalic = (font.Style() & fsItalic) != 0;
    desc.fUnderline = (font.Style() & fsUnderline) != 0;
    desc.fStrikethrough = (font.Style() & fsStrikeOut) != 0;
    IFontDisp* out = nullptr;
    OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&out));
    return out;
}
}  // namespace

bool TOleControl::GetAmbientProperty(DISPID id, VARIANT& result) {
    switch (id) {
    case DISPID_AMBIENT_BACKCOLOR: SetInt(result, Color()); return true;
    case DISPID_AMBIENT_DISPLAYNAME:
        result.vt = VT_BSTR;
        result.bstrVal = TBStr(AnsiToWide(Name())).Detach();
        return true;
    case DISPID_AMBIENT_FONT: {
        TFont& font = (ParentFont() && Parent()) ? Parent()->Font() : Font();
        IFontDisp* disp = CreateFontObject(font);
        if (!disp) return false;
        result.vt = VT_DISPATCH;
        result.pdispVal = disp;
        return true;
    }
    case DISPID_AMBIENT_FORECOLOR: SetInt(result, Font().Color()); return true;
    case DISPID_AMBIENT_LOCALEID: SetInt(result, static_cast<long>(GetUserDefaultLCID())); return true;
    case DISPID_AMBIENT_MESSAGEREFLECT: SetBool(result, true); return true;
    case DISPID_AMBIENT_USERMODE: SetBool(result, true); return true;
    case DISPID_AMBIENT_UIDEAD: SetBool(result, false); return true;
    case DISPID_AMBIENT_SHOWGRABHANDLES: SetBool(result, false); return true;
    case DISPID_AMBIENT_SHOWHATCHING: SetBool(result, false); return true;
    case DISPID_AMBIENT_SUPPORTSMNEMONICS: SetBool(result, true); return true;
    case DISPID_AMBIENT_AUTOCLIP: SetBool(result, true); return true;
    default: return false;
    }
}
