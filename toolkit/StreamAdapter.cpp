#include "StreamAdapter.h"

#include <algorithm>

TStreamAdapter* TStreamAdapter::Create(TStream* stream, TStreamOwnership ownership) {
    return new TStreamAdapter(stream, ownership);
}

TStreamAdapter::TStreamAdapter(TStream* stream, TStreamOwnership ownership)
    : stream_(stream), ownership_(ownership) {}

TStreamAdapter::~TStreamAdapter() {
    if (ownership_ == TStreamOwnership::soOwned) delete stream_;
}

STDMETHODIMP TStreamAdapter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
        *out = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TStreamAdapter::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) TStreamAdapter::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP TStreamAdapter::Read(void* buffer, ULONG count, ULONG* read) {
    try {
        ULONG n = static_cast<ULONG>(stream_->Read(buffer, count));
        if (read) *read = n;
        return n < count ? S_FALSE : S_OK;
    } catch (...) {
        return STG_E_READFAULT;
    }
}

STDMETHODIMP TStreamAdapter::Write(const void* buffer, ULONG count, ULONG* written) {
    try {
        ULONG n = static_cast<ULONG>(stream_->Write(buffer, count));
        if (written) *written = n;
        return n < count ? STG_E_CANTSAVE : S_OK;
    } catch (...) {
        return STG_E_CANTSAVE;
    }
}

STDMETHODIMP TStreamAdapter::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
    if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    try {
        auto o = origin == STREAM_SEEK_SET ? TSeekOrigin::soBeginning
                 : origin == STREAM_SEEK_CUR ? TSeekOrigin::soCurrent
                                             : TSeekOrigin::soEnd;
        std::int64_t pos = stream_->Seek(move.QuadPart, o);
        if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(pos);
        return S_OK;
    } catch (...) {
        return STG_E_INVALIDPOINTER;
    }
}

STDMETHODIMP TStreamAdapter::SetSize(ULARGE_INTEGER size) {
    try {
        stream_->SetSize(static_cast<std::int64_t>(size.QuadPart));
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP TStreamAdapter::CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                    ULARGE_INTEGER* written) {
    if (!target) return STG_E_INVALIDPOINTER;
    ULONGLONG left = count.QuadPart, totalRead = 0, totalWritten = 0;
    char buffer[4096];
    HRESULT hr = S_OK;
    while (left > 0) {
        ULONG chunk = static_cast<ULONG>(std::min<ULONGLONG>(left, sizeof buffer));
        ULONG got = 0;
        Read(buffer, chunk, &got);
        if (got == 0) break;
        totalRead += got;
        ULONG put = 0;
        hr = target->Write(buffer, got, &put);
        totalWritten += put;
        if (FAILED(hr)) break;
        left -= got;
    }
    if (read) read->QuadPart = totalRead;
    if (written) written->QuadPart = totalWritten;
    return FAILED(hr) ? hr : S_OK;
}

STDMETHODIMP TStreamAdapter::Stat(STATSTG* stat, DWORD) {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(stream_->Size());
    return S_OK;
}

// A clone would need its own position over the shared stream.
STDMETHODIMP TStreamAdapter::Clone(IStream** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}
