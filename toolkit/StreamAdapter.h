// TStreamAdapter: a COM IStream over one of our streams, for objects that
// read or write through IStream (a browser document loading a page).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <memory>

#include "Streams.h"

enum class TStreamOwnership { soReference, soOwned };

class TStreamAdapter : public IStream {
public:
    // A new adapter with one reference, which the caller owns (Release it).
    // soReference: the caller keeps `stream` alive for as long as the adapter
    // is referenced; soOwned: the adapter deletes it when its last reference goes.
    static TStreamAdapter* Create(TStream* stream, TStreamOwnership ownership = TStreamOwnership::soReference);

    TStream& Stream() { return *stream_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Read(void* buffer, ULONG count, ULONG* read) override;
    STDMETHODIMP Write(const void* buffer, ULONG count, ULONG* written) override;
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    STDMETHODIMP SetSize(ULARGE_INTEGER size) override;
    STDMETHODIMP CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override;
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return STG_E_REVERTED; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override;
    STDMETHODIMP Clone(IStream** out) override;

private:
    TStreamAdapter(TStream* stream, TStreamOwnership ownership);
    virtual ~TStreamAdapter();

    TStream* stream_;
    TStreamOwnership ownership_;
    LONG refs_ = 1;
};
