// TOleControl: creating the object, completing its setup, in-place
// activation, property reads and teardown. The site's interface answers are
// in OleSite.cpp, event delivery in OleEvents.cpp.
#include "OleCtrls.h"

#include <cstdio>

namespace {
int HimetricToPixels(LONG himetric, int axis) {
    HDC dc = GetDC(nullptr);
    int perInch = GetDeviceCaps(dc, axis);
    ReleaseDC(nullptr, dc);
    return MulDiv(himetric, perInch, 2540);
}
}  // namespace

TOleControl::TOleControl(TComponent* owner, const TControlData& data, TOleCreation creation)
    : TWinControl(owner), data_(data) {
    eventSink_ = std::make_unique<TEventDispatch>(*this);
    if (creation == TOleCreation::None) return;
    try {
        CreateObject();
    } catch (const Exception& e) {
        ReleaseInterfaces();
        if (creation == TOleCreation::Required) throw;
        creationError_ = e.Message();
    }
}

TOleControl::~TOleControl() {
    try {
        ReleaseObject();
    } catch (...) {
    }
    eventSink_.reset();
}

void TOleControl::CreateObject() {
    OleCheck(CoCreateInstance(data_.ClassID, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                              oleObject_.PutVoid()));
    DWORD misc = 0;
    oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) OleCheck(oleObject_->SetClientSite(this));
    persistStream_ = oleObject_.As<IPersistStreamInit>(IID_IPersistStreamInit);
    if (!persistStream_) RaiseInterfaceNotSupported();
    SIZEL extent{};
    if (SUCCEEDED(oleObject_->GetExtent(DVASPECT_CONTENT, &extent)))
        SetBounds(Left(), Top(), HimetricToPixels(extent.cx, LOGPIXELSX), HimetricToPixels(extent.cy, LOGPIXELSY));
}

void TOleControl::RequireObject() const {
    if (!oleObject_) {
        std::string text = "The OLE control has no object";
        if (!creationError_.empty()) text += ": " + creationError_;
        throw Exception(text);
    }
}

void TOleControl::AbandonObject(const std::string& error) {
    creationError_ = error;
    ReleaseObject();
}

void TOleControl::EnsureControlCreated() {
    RequireObject();
    if (oleControl_) return;
    try {
        TComPtr<IOleClientSite> site;
        if (FAILED(oleObject_->GetClientSite(site.Put())) || !site) OleCheck(oleObject_->SetClientSite(this));
        OleCheck(persistStream_->InitNew());
        TComPtr<IOleControl> control = oleObject_.As<IOleControl>(IID_IOleControl);
        if (!control) RaiseInterfaceNotSupported();
        dispatch_ = oleObject_.As<IDispatch>(IID_IDispatch);
        if (!dispatch_) RaiseInterfaceNotSupported();
        propertyBrowsing_ = oleObject_.As<IPerPropertyBrowsing>(IID_IPerPropertyBrowsing);
        ConnectEvents();
        control->OnAmbientPropertyChange(DISPID_UNKNOWN);
        oleControl_ = control;
    } catch (...) {
        DisconnectEvents();
        dispatch_.Reset();
        propertyBrowsing_.Reset();
        throw;
    }
}

void TOleControl::ConnectEvents() {
    auto container = oleObject_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (!container) return;
    TComPtr<IConnectionPoint> point;
    if (SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Put())) && point)
        OleCheck(point->Advise(static_cast<IPropertyNotifySink*>(this), &propertyCookie_));
    if (SUCCEEDED(container->FindConnectionPoint(data_.EventIID, point.Put())) && point)
        OleCheck(point->Advise(eventSink_.get(), &eventsCookie_));
}

void TOleControl::DisconnectEvents() {
    auto container = oleObject_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    auto unadvise = [&](REFIID iid, DWORD& cookie) {
        if (!cookie) return;
        TComPtr<IConnectionPoint> point;
        if (container && SUCCEEDED(container->FindConnectionPoint(iid, point.Put())) && point)
            point->Unadvise(cookie);
        cookie = 0;
    };
    unadvise(IID_IPropertyNotifySink, propertyCookie_);
    unadvise(data_.EventIID, eventsCookie_);
}

void TOleControl::ReleaseInterfaces() {
    inPlaceActive_.Reset();
    inPlaceObject_.Reset();
    oleControl_.Reset();
    dispatch_.Reset();
    propertyBrowsing_.Reset();
    persistStream_.Reset();
    if (oleObject_) oleObject_->SetClientSite(nullptr);
    oleObject_.Reset();
}

void TOleControl::ReleaseObject() {
    if (!oleObject_) {
        DestroyHandle();
        return;
    }
    // Keep the focus in the container when it was ours.
    if (HandleAllocated()) {
        HWND focus = GetFocus();
        if (focus && (focus == handle_ || IsChild(handle_, focus))) ::SetFocus(ContainerWindow());
    }
    releasing_ = true;
    ReleasingObject();
    DestroyHandle();
    oleObject_->Close(OLECLOSE_NOSAVE);
    DisconnectEvents();
    ReleaseInterfaces();
    releasing_ = false;
}

// ---- the window -----------------------------------------------------------

HWND TOleControl::ContainerWindow() {
    if (Parent()) return Parent()->Handle();
    return ParentWindow();
}

void TOleControl::CreateWnd() {
    if (!oleObject_ || activating_) return;  // an object-less control has no window
    HWND container = ContainerWindow();
    if (!container) return;
    EnsureControlCreated();
    activating_ = true;
    RECT bounds = ObjectRect();
    HRESULT hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, container, &bounds);
    activating_ = false;
    if (FAILED(hr) || !inPlaceObject_) {
        DestroyWnd(nullptr);
        throw EOleError(FAILED(hr) ? hr : E_FAIL, "OLE control activation failed");
    }
    HWND wnd = nullptr;
    if (FAILED(inPlaceObject_->GetWindow(&wnd)) || !wnd) {
        DestroyWnd(nullptr);
        throw EOleError(E_FAIL, "Could not obtain OLE control window handle");
    }
    AdoptHandle(wnd);
    if (!Visible()) ShowWindow(wnd, SW_HIDE);
    CreateChildren();
    HandleCreated();
}

void TOleControl::DestroyWnd(HWND) {
    // The window is the object's: in-place deactivation takes it away.
    if (inPlaceObject_) inPlaceObject_->InPlaceDeactivate();
    inPlaceActive_.Reset();
    inPlaceObject_.Reset();
}

void TOleControl::BoundsChanged() {
    if (!inPlaceObject_) {
        TWinControl::BoundsChanged();
        return;
    }
    RECT bounds = ObjectRect();
    RECT clip{0, 0, 32767, 32767};
    inPlaceObject_->SetObjectRects(&bounds, &clip);
}

bool TOleControl::PreProcessMessage(MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_DEADCHAR:
    case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR: case WM_SYSDEADCHAR:
        if (inPlaceActive_ && handle_) {
            MSG m = msg;
            m.hwnd = handle_;
            m.time = static_cast<DWORD>(GetMessageTime());
            if (inPlaceActive_->TranslateAccelerator(&m) == S_OK) return true;
        }
        break;
    default:
        break;
    }
    return TWinControl::PreProcessMessage(msg);
}

// ---- property reads -------------------------------------------------------

void TOleControl::ReadProperty(DISPID id, TVariant& result) {
    EnsureControlCreated();
    result.Clear();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO info{};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, &info, nullptr);
    if (SUCCEEDED(hr)) return;
    std::string description = WideToAnsi(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    if (description.empty()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "OLE error %.8lx", static_cast<unsigned long>(hr));
        description = buf;
    }
    throw EOleError(hr, description);
}

TComPtr<IDispatch> TOleControl::ReadDispatchProperty(DISPID id) {
    TVariant v;
    ReadProperty(id, v);
    if (v.Type() == VT_DISPATCH) return TComPtr<IDispatch>(v.Get().pdispVal);
    if (v.Type() == VT_UNKNOWN && v.Get().punkVal)
        return TComPtr<IUnknown>(v.Get().punkVal).As<IDispatch>(IID_IDispatch);
    return nullptr;
}

int TOleControl::ReadIntegerProperty(DISPID id) {
    TVariant v;
    ReadProperty(id, v);
    if (v.Type() != VT_I4 && FAILED(VariantChangeType(&v, &v, 0, VT_I4)))
        throw EOleError(DISP_E_TYPEMISMATCH, "Invalid variant type conversion");
    return static_cast<int>(v.Get().lVal);
}
