// THostCallbacks: the interfaces through which the browser calls back into
// its host (TEmbeddedWB). They live beside the generic site's interfaces;
// QueryInterface and reference counting are the control's.
#pragma once
#include <windows.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <servprov.h>

class TEmbeddedWB;

class THostCallbacks : public IOleCommandTarget,
                       public IServiceProvider,
                       public IDispatch,
                       public IDocHostUIHandler2,
                       public IDocHostShowUI {
public:
    explicit THostCallbacks(TEmbeddedWB& control) : control_(control) {}
    // The host's own interfaces; false when `iid` is not one of them.
    bool Find(REFIID iid, void** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD option, VARIANT* in, VARIANT* out) override;
    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;
    // IDispatch: ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT* argErr) override;
    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* pt, IUnknown* reserved, IDispatch* dispReserved) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target, IOleInPlaceFrame* frame,
                        IOleInPlaceUIWindow* doc) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD dw) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** out) override;
    STDMETHODIMP GetExternal(IDispatch** out) override;
    STDMETHODIMP TranslateUrl(DWORD translate, OLECHAR* urlIn, OLECHAR** urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** out) override;
    // IDocHostUIHandler2
    STDMETHODIMP GetOverrideKeyPath(LPOLESTR* key, DWORD dw) override;
    // IDocHostShowUI
    STDMETHODIMP ShowMessage(HWND wnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                             DWORD helpContext, LRESULT* result) override;
    STDMETHODIMP ShowHelp(HWND wnd, LPOLESTR helpFile, UINT command, DWORD data, POINT mouse,
                          IDispatch* hit) override;

private:
    void ScriptError(VARIANT* out, HRESULT& result);

    TEmbeddedWB& control_;
};

// Unloads the HTML Help library if ShowHelp loaded it (module end).
void FreeHtmlHelp() noexcept;
