#include "PictureViewAccessible.h"

#include <string>

#include "PictureView.h"

namespace {

// Runs a method body; nothing thrown leaves through COM.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return E_FAIL;
    }
}

BSTR AnsiToBstr(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (out && n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, n);
    return out;
}

HRESULT Text(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = AnsiToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChild(VARIANT* v, long id) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = id;
}

}  // namespace

TPictureViewAccessible::TPictureViewAccessible(TPictureView* view) : view_(view) {}

TPictureViewAccessible::~TPictureViewAccessible() {
    if (standard_) standard_->Release();
}

void TPictureViewAccessible::Detach() {
    view_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
}

IAccessible* TPictureViewAccessible::Standard() {
    if (!standard_ && view_ && view_->HandleAllocated())
        CreateStdAccessibleObject(view_->Handle(), OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard_));
    return standard_;
}

HRESULT TPictureViewAccessible::Resolve(const VARIANT& child, int& index) const {
    if (!view_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
        index = -1;
        return S_OK;
    }
    if (child.lVal < 1 || child.lVal > view_->Count()) return E_INVALIDARG;
    index = static_cast<int>(child.lVal) - 1;
    return S_OK;
}

// ------------------------------------------------------------------ IUnknown

HRESULT TPictureViewAccessible::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG TPictureViewAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG TPictureViewAccessible::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// ----------------------------------------------------------------- IDispatch

HRESULT TPictureViewAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT TPictureViewAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
HRESULT TPictureViewAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT TPictureViewAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// --------------------------------------------------------------- IAccessible

HRESULT TPictureViewAccessible::get_accParent(IDispatch** parent) {
    return Guarded([&]() -> HRESULT {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!view_) return CO_E_OBJNOTCONNECTED;
        IAccessible* standard = Standard();
        return standard ? standard->get_accParent(parent) : S_FALSE;
    });
}

HRESULT TPictureViewAccessible::get_accChildCount(long* count) {
    return Guarded([&]() -> HRESULT {
        if (!count) return E_POINTER;
        if (!view_) return CO_E_OBJNOTCONNECTED;
        *count = view_->Count();
        return S_OK;
    });
}

// The pictures are simple elements: the view answers for them by child id.
HRESULT TPictureViewAccessible::get_accChild(VARIANT child, IDispatch** out) {
    return Guarded([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        int index = 0;
        const HRESULT hr = Resolve(child, index);
        return FAILED(hr) ? hr : S_FALSE;
    });
}

HRESULT TPictureViewAccessible::get_accName(VARIANT child, BSTR* name) {
    return Guarded([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = nullptr;
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (index >= 0) {
            const std::string& path = view_->File(index);
            const size_t slash = path.find_last_of("\\/");
            return Text(slash == std::string::npos ? path : path.substr(slash + 1), name);
        }
        if (!view_->Caption().empty()) return Text(view_->Caption(), name);
        IAccessible* standard = Standard();
        return standard ? standard->get_accName(child, name) : S_FALSE;
    });
}

HRESULT TPictureViewAccessible::get_accValue(VARIANT child, BSTR* value) {
    return Guarded([&]() -> HRESULT {
        if (!value) return E_POINTER;
        *value = nullptr;
        int index = 0;
        const HRESULT hr = Resolve(child, index);
        return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
    });
}

HRESULT TPictureViewAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return get_accValue(child, description);
}

HRESULT TPictureViewAccessible::get_accRole(VARIANT child, VARIANT* role) {
    return Guarded([&]() -> HRESULT {
        if (!role) return E_POINTER;
        VariantInit(role);
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        SetChild(role, index >= 0 ? ROLE_SYSTEM_GRAPHIC : ROLE_SYSTEM_LIST);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::get_accState(VARIANT child, VARIANT* state) {
    return Guarded([&]() -> HRESULT {
        if (!state) return E_POINTER;
        VariantInit(state);
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (index < 0) {
            IAccessible* standard = Standard();
            return standard ? standard->get_accState(child, state) : S_FALSE;
        }
        long flags = 0;
        if (view_->CanTakeFocus(index)) flags |= STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        else flags |= STATE_SYSTEM_UNAVAILABLE;
        if (index == view_->FocusIndex()) {
            flags |= STATE_SYSTEM_SELECTED;
            if (view_->Focused()) flags |= STATE_SYSTEM_FOCUSED;
        }
        if (!view_->HandleAllocated() || !IsWindowVisible(view_->Handle())) flags |= STATE_SYSTEM_INVISIBLE;
        if (!view_->IsInSight(index)) flags |= STATE_SYSTEM_OFFSCREEN;
        SetChild(state, flags);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::get_accHelp(VARIANT child, BSTR* help) { return get_accValue(child, help); }

HRESULT TPictureViewAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return get_accValue(child, file);
}

HRESULT TPictureViewAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return get_accValue(child, shortcut);
}

HRESULT TPictureViewAccessible::get_accFocus(VARIANT* focus) {
    return Guarded([&]() -> HRESULT {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        if (!view_) return CO_E_OBJNOTCONNECTED;
        if (!view_->Focused()) return S_FALSE;
        SetChild(focus, view_->FocusIndex() >= 0 ? view_->FocusIndex() + 1 : CHILDID_SELF);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::get_accSelection(VARIANT* selection) {
    return Guarded([&]() -> HRESULT {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        if (!view_) return CO_E_OBJNOTCONNECTED;
        if (view_->FocusIndex() < 0) return S_FALSE;
        SetChild(selection, view_->FocusIndex() + 1);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return Guarded([&]() -> HRESULT {
        if (!action) return E_POINTER;
        *action = nullptr;
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (index < 0 || !view_->CanTakeFocus(index)) return DISP_E_MEMBERNOTFOUND;
        return Text("Click", action);
    });
}

HRESULT TPictureViewAccessible::accSelect(long flags, VARIANT child) {
    return Guarded([&]() -> HRESULT {
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (flags & (SELFLAG_REMOVESELECTION | SELFLAG_EXTENDSELECTION)) return E_INVALIDARG;  // one picture at a time
        if (flags & SELFLAG_TAKEFOCUS) view_->SetFocus();
        if (index >= 0) {
            if (!view_->CanTakeFocus(index)) return E_INVALIDARG;
            view_->SetFocusIndex(index);
        }
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    return Guarded([&]() -> HRESULT {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (index < 0) {
            IAccessible* standard = Standard();
            return standard ? standard->accLocation(left, top, width, height, child) : S_FALSE;
        }
        RECT r;
        if (!view_->PictureScreenRect(index, r)) return S_FALSE;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return Guarded([&]() -> HRESULT {
        if (!end) return E_POINTER;
        VariantInit(end);
        int index = 0;
        if (HRESULT hr = Resolve(start, index); FAILED(hr)) return hr;
        const int count = view_->Count();
        int to = -2;  // none
        if (index < 0) {
            if (direction == NAVDIR_FIRSTCHILD && count > 0) to = 0;
            else if (direction == NAVDIR_LASTCHILD && count > 0) to = count - 1;
            else if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
                IAccessible* standard = Standard();
                return standard ? standard->accNavigate(direction, start, end) : S_FALSE;
            }
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) {
            if (index + 1 < count) to = index + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) {
            if (index > 0) to = index - 1;
        }
        if (to < 0) return S_FALSE;
        SetChild(end, to + 1);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::accHitTest(long x, long y, VARIANT* child) {
    return Guarded([&]() -> HRESULT {
        if (!child) return E_POINTER;
        VariantInit(child);
        if (!view_) return CO_E_OBJNOTCONNECTED;
        if (!view_->HandleAllocated()) return S_FALSE;
        POINT p{x, y};
        ScreenToClient(view_->Handle(), &p);
        if (p.x < 0 || p.y < 0 || p.x >= view_->ClientWidth() || p.y >= view_->ClientHeight()) return S_FALSE;
        const int index = view_->PictureAt(p.x, p.y);
        SetChild(child, index >= 0 ? index + 1 : CHILDID_SELF);
        return S_OK;
    });
}

// Picks the picture as a click does, on the next turn of the view's message
// loop rather than inside the caller's request.
HRESULT TPictureViewAccessible::accDoDefaultAction(VARIANT child) {
    return Guarded([&]() -> HRESULT {
        int index = 0;
        if (HRESULT hr = Resolve(child, index); FAILED(hr)) return hr;
        if (index < 0 || !view_->CanTakeFocus(index)) return DISP_E_MEMBERNOTFOUND;
        view_->PickLater(index);
        return S_OK;
    });
}

HRESULT TPictureViewAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT TPictureViewAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }
