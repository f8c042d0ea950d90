// Event slots of OLE controls: OleEventSlot<&TClass::OnSomething> unpacks an
// event's DISPPARAMS into the slot's argument types and calls the slot.
// Included by OleCtrls.h.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <utility>

#include "ComObj.h"
#include "Events.h"

class TOleControl;

// OleEventSlot<&TClass::OnSomething> is the TControlData::SlotCaller for a
// slot of type TEvent<TObject*, Args...>. DISPPARAMS holds the arguments last
// first; each is converted to its Args type by OleEventArg.

// By value: coerced to the parameter's type (BSTRs read in place, valid
// during the call). VARIANT& and the by-reference forms hand the caller's
// own storage, so a handler can answer through them.
template <class T>
struct OleEventArg;

namespace oleevent {
// A by-reference VARIANT seen through, for reading.
inline const VARIANT& Deref(const VARIANT& v) {
    return (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v;
}
[[noreturn]] void RaiseArgType();
}  // namespace oleevent

template <>
struct OleEventArg<const wchar_t*> {
    explicit OleEventArg(VARIANT& v) {
        const VARIANT& d = oleevent::Deref(v);
        if (d.vt == VT_BSTR) text_ = d.bstrVal;
        else if (d.vt == (VT_BYREF | VT_BSTR)) text_ = d.pbstrVal ? *d.pbstrVal : nullptr;
        else if (d.vt != VT_EMPTY && d.vt != VT_NULL) {
            if (FAILED(VariantChangeType(&own_, const_cast<VARIANT*>(&d), 0, VT_BSTR))) oleevent::RaiseArgType();
            text_ = own_.Get().bstrVal;
        }
    }
    const wchar_t* Get() const { return text_ ? text_ : L""; }

private:
    const wchar_t* text_ = nullptr;
    TVariant own_;
};

template <VARTYPE VT>
struct OleEventCoerced {
    explicit OleEventCoerced(VARIANT& v) {
        if (FAILED(VariantChangeType(&value_, const_cast<VARIANT*>(&oleevent::Deref(v)), 0, VT)))
            oleevent::RaiseArgType();
    }
    TVariant value_;
};

template <>
struct OleEventArg<long> : OleEventCoerced<VT_I4> {
    using OleEventCoerced::OleEventCoerced;
    long Get() { return value_.Get().lVal; }
};
template <>
struct OleEventArg<int> : OleEventCoerced<VT_I4> {
    using OleEventCoerced::OleEventCoerced;
    int Get() { return static_cast<int>(value_.Get().lVal); }
};
template <>
struct OleEventArg<bool> : OleEventCoerced<VT_BOOL> {
    using OleEventCoerced::OleEventCoerced;
    bool Get() { return value_.Get().boolVal != VARIANT_FALSE; }
};
template <>
struct OleEventArg<IDispatch*> {
    explicit OleEventArg(VARIANT& v) {
        const VARIANT& d = oleevent::Deref(v);
        if (d.vt == VT_DISPATCH) disp_ = d.pdispVal;
        else if (d.vt == (VT_BYREF | VT_DISPATCH)) disp_ = d.ppdispVal ? *d.ppdispVal : nullptr;
        else if (d.vt != VT_EMPTY && d.vt != VT_NULL) oleevent::RaiseArgType();
    }
    IDispatch* Get() const { return disp_; }

private:
    IDispatch* disp_ = nullptr;
};
template <>
struct OleEventArg<VARIANT&> {
    explicit OleEventArg(VARIANT& v) : v_((v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v) {}
    VARIANT& Get() const { return v_; }

private:
    VARIANT& v_;
};
template <>
struct OleEventArg<VARIANT_BOOL&> {
    explicit OleEventArg(VARIANT& v) {
        const VARIANT& d = oleevent::Deref(v);
        if (d.vt != (VT_BYREF | VT_BOOL) || !d.pboolVal) oleevent::RaiseArgType();
        p_ = d.pboolVal;
    }
    VARIANT_BOOL& Get() const { return *p_; }

private:
    VARIANT_BOOL* p_ = nullptr;
};
template <>
struct OleEventArg<IDispatch*&> {
    explicit OleEventArg(VARIANT& v) {
        const VARIANT& d = oleevent::Deref(v);
        if (d.vt != (VT_BYREF | VT_DISPATCH) || !d.ppdispVal) oleevent::RaiseArgType();
        p_ = d.ppdispVal;
    }
    IDispatch*& Get() const { return *p_; }

private:
    IDispatch** p_ = nullptr;
};

namespace oleevent {
// The i-th argument in declaration order.
VARIANT& ArgAt(DISPPARAMS& params, unsigned i);

template <class Event, class... Args, std::size_t... I>
void Call(const Event& event, TObject* sender, DISPPARAMS& params, std::index_sequence<I...>) {
    event(sender, OleEventArg<Args>(ArgAt(params, static_cast<unsigned>(I))).Get()...);
}

template <class C, class... Args>
void Deliver(TEvent<TObject*, Args...> C::*slot, TOleControl* control, DISPPARAMS& params) {
    const auto& event = static_cast<C*>(control)->*slot;
    if (!event) return;
    Call<TEvent<TObject*, Args...>, Args...>(event, static_cast<C*>(control), params,
                                             std::index_sequence_for<Args...>{});
}
}  // namespace oleevent

template <auto Slot>
void OleEventSlot(TOleControl* control, DISPPARAMS& params) {
    oleevent::Deliver(Slot, control, params);
}
