// TOleControl: a window control that hosts an ActiveX control and is its
// container site. It creates the object, answers the container interfaces
// the object asks for, activates it in place (the object's window becomes
// the control's window), reads automation properties late-bound, and relays
// the object's events to the event slots of a derived class.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string>
#include <utility>

#include "ComObj.h"
#include "Controls.h"

class TOleControl;

// One record per control class: which object to create and how its events
// map onto the class's event slots.
struct TControlData {
    CLSID ClassID;
    IID EventIID;
    int EventCount;
    // DISPIDs of the events, in the order of the class's event slots.
    const DISPID* EventDispIDs;
    // Slot i serves EventDispIDs[i]: a caller that unpacks the arguments and
    // calls the slot when it holds a handler (see OleEventSlot below).
    using SlotCaller = void (*)(TOleControl* control, DISPPARAMS& params);
    const SlotCaller* EventSlots;
};

// What a failure to create or activate the object does.
enum class TOleCreation {
    Required,  // raise
    Optional,  // keep the error (CreationError) and stay without an object
    None,      // create no object at all
};

// The event sink the object's events arrive at (its IDispatch); its
// reference count is the control's.
class TEventDispatch : public IDispatch {
public:
    explicit TEventDispatch(TOleControl& control) : control_(control) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    TOleControl& control_;
};

class TOleControl : public TWinControl,
                    public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IOleControlSite,
                    public ISimpleFrameSite,
                    public IPropertyNotifySink,
                    public IDispatch {
public:
    TOleControl(TComponent* owner, const TControlData& data, TOleCreation creation = TOleCreation::Required);
    ~TOleControl() override;
    const char* ClassName() const override { return "TOleControl"; }

    // The object exists (creation succeeded and it was not released).
    bool HasObject() const { return static_cast<bool>(oleObject_); }
    // Why an optional creation failed; empty when it did not.
    const std::string& CreationError() const { return creationError_; }
    // Gives the object up now (the site's teardown): the window goes, and
    // the control stays without an object.
    void ReleaseObject();

    // Completes the object's setup (client site, InitNew, interfaces,
    // connections); nothing once done. Raises when there is no object.
    void EnsureControlCreated();
    using TWinControl::ReadProperty;
    // Late-bound property get through the object's automation interface.
    void ReadProperty(DISPID id, TVariant& result);
    TComPtr<IDispatch> ReadDispatchProperty(DISPID id);
    int ReadIntegerProperty(DISPID id);

    IOleObject* OleObject() const { return oleObject_.Get(); }
    IDispatch* DefaultDispatch() const { return dispatch_.Get(); }
    IOleInPlaceActiveObject* InPlaceActiveObject() const { return inPlaceActive_.Get(); }
    // The site's own reference count (COM references never free the control).
    ULONG RefCount() const { return refs_; }

    bool PreProcessMessage(MSG& msg) override;

    // IUnknown (one for all the site's interfaces)
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL) override;
    STDMETHODIMP RequestNewObjectLayout() override;
    // IOleWindow (IOleInPlaceSite and IOleInPlaceFrame)
    STDMETHODIMP GetWindow(HWND* wnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos, RECT* clip,
                                  OLEINPLACEFRAMEINFO* info) override;
    STDMETHODIMP Scroll(SIZE) override;
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(const RECT* pos) override;
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(RECT*) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) override;
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override;
    STDMETHODIMP RemoveMenus(HMENU) override;
    STDMETHODIMP SetStatusText(LPCOLESTR) override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override;
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL) override;
    STDMETHODIMP GetExtendedControl(IDispatch** disp) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override;
    STDMETHODIMP OnFocus(BOOL) override;
    STDMETHODIMP ShowPropertyFrame() override;
    // ISimpleFrameSite
    STDMETHODIMP PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) override;
    STDMETHODIMP PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) override;
    // IPropertyNotifySink
    STDMETHODIMP OnChanged(DISPID) override;
    STDMETHODIMP OnRequestEdit(DISPID) override;
    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

    // An event from the object (the sink's Invoke); never raises.
    void DeliverEvent(DISPID id, DISPPARAMS& params) noexcept;
    const TControlData& ControlData() const { return data_; }

protected:
    // Called before the object is given up: drop what was taken from it.
    virtual void ReleasingObject() {}
    // Sees every event (also those outside the event table) before its slot.
    virtual void EventReceived(DISPID, DISPPARAMS&) {}
    // The ambient property `id` into `result`; false when it is not one.
    virtual bool GetAmbientProperty(DISPID id, VARIANT& result);
    // Raises when the control has no object.
    void RequireObject() const;
    // An optional object that failed after creation: keep the error, give it up.
    void AbandonObject(const std::string& error);
    // The window the object lives in: the managed parent's or the bare one.
    HWND ContainerWindow();

    void CreateWnd() override;
    void DestroyWnd(HWND wnd) override;
    void BoundsChanged() override;

private:
    void CreateObject();
    void ConnectEvents();
    void DisconnectEvents();
    void ReleaseInterfaces();
    RECT ObjectRect() const { return BoundsRect(); }

    const TControlData& data_;
    std::string creationError_;
    ULONG refs_ = 0;
    std::unique_ptr<TEventDispatch> eventSink_;
    TComPtr<IOleObject> oleObject_;
    TComPtr<IPersistStreamInit> persistStream_;
    TComPtr<IOleControl> oleControl_;
    TComPtr<IDispatch> dispatch_;
    TComPtr<IPerPropertyBrowsing> propertyBrowsing_;
    TComPtr<IOleInPlaceObject> inPlaceObject_;
    TComPtr<IOleInPlaceActiveObject> inPlaceActive_;
    DWORD propertyCookie_ = 0;
    DWORD eventsCookie_ = 0;
    bool activating_ = false;
    // Set while the object is being given up: events are no longer relayed.
    bool releasing_ = false;
};

#include "OleEventArgs.h"
