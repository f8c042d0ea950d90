// The event sink of TOleControl and the road of an event to its slot.
#include "Forms.h"
#include "OleCtrls.h"

void oleevent::RaiseArgType() { throw EOleError(DISP_E_TYPEMISMATCH, "Invalid event argument type"); }

VARIANT& oleevent::ArgAt(DISPPARAMS& params, unsigned i) {
    if (i >= params.cArgs || !params.rgvarg) throw EOleError(DISP_E_BADPARAMCOUNT, "Missing event argument");
    return params.rgvarg[params.cArgs - 1 - i];
}

STDMETHODIMP TEventDispatch::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == control_.ControlData().EventIID) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TEventDispatch::AddRef() { return control_.AddRef(); }
STDMETHODIMP_(ULONG) TEventDispatch::Release() { return control_.Release(); }

STDMETHODIMP TEventDispatch::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP TEventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TEventDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP TEventDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                    UINT*) {
    // The stock events (-607..-600) are not relayed.
    if (id >= -607 && id <= -600) return S_OK;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    control_.DeliverEvent(id, params ? *params : none);
    return S_OK;
}

void TOleControl::DeliverEvent(DISPID id, DISPPARAMS& params) noexcept {
    if (releasing_ || !oleObject_) return;
    try {
        EventReceived(id, params);
        for (int i = 0; i < data_.EventCount; ++i) {
            if (data_.EventDispIDs[i] != id) continue;
            data_.EventSlots[i](this, params);
            return;
        }
    } catch (...) {
        HandleCallbackException();
    }
}
