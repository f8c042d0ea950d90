// COM helpers: an owning interface pointer, an owning VARIANT, HRESULT
// checks that raise EOleError, and ANSI <-> UTF-16 conversion at the COM
// boundary.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>

#include "Exceptions.h"

// Holds one reference to an interface; releases it when reset or destroyed.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    // Takes a new reference (AddRef) on `p`.
    explicit TComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    TComPtr(const TComPtr& o) : TComPtr(o.p_) {}
    TComPtr(TComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    TComPtr& operator=(TComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~TComPtr() { Reset(); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // Gives the reference up to the caller.
    T* Detach() { return std::exchange(p_, nullptr); }

    // QueryInterface; an empty pointer when the object lacks the interface.
    template <class U>
    TComPtr<U> As(REFIID iid) const {
        TComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.PutVoid());
        return out;
    }

private:
    T* p_ = nullptr;
};

// A VARIANT that is cleared when it goes away.
class TVariant {
public:
    TVariant() { VariantInit(&v_); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { VariantClear(&v_); }
    VARIANT* operator&() { return &v_; }
    VARIANT& Get() { return v_; }
    const VARIANT& Get() const { return v_; }
    VARTYPE Type() const { return v_.vt; }
    void Clear() { VariantClear(&v_); }

private:
    VARIANT v_;
};

// A BSTR that is freed when it goes away.
class TBStr {
public:
    TBStr() = default;
    explicit TBStr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    ~TBStr() { SysFreeString(b_); }
    BSTR Get() const { return b_; }
    BSTR* Put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    BSTR Detach() { return std::exchange(b_, nullptr); }

private:
    BSTR b_ = nullptr;
};

std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const wchar_t* s);
inline std::string WideToAnsi(const std::wstring& s) { return WideToAnsi(s.c_str()); }

// Raises EOleError carrying `hr` and the system's text for it.
[[noreturn]] void RaiseOleError(HRESULT hr);
// Raises EOleError for a failed HRESULT; hands back a successful one.
inline HRESULT OleCheck(HRESULT hr) {
    if (FAILED(hr)) RaiseOleError(hr);
    return hr;
}
// An object that lacks an interface that the code casts to.
[[noreturn]] void RaiseInterfaceNotSupported();
