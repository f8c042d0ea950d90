#include "PictureDecoder.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

long openCount = 0;

// Holds one COM reference.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Out() { return &p_; }
    T* Detach() { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

std::wstring Wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// A small unsigned metadata value ("/logscrdesc/Width", "/imgdesc/Left"...).
bool ReadNumber(IWICMetadataQueryReader* reader, const wchar_t* name, int& out) {
    PROPVARIANT value;
    PropVariantInit(&value);
    bool ok = false;
    if (SUCCEEDED(reader->GetMetadataByName(name, &value))) {
        switch (value.vt) {
        case VT_UI1: out = value.bVal; ok = true; break;
        case VT_UI2: out = value.uiVal; ok = true; break;
        case VT_UI4: out = static_cast<int>(std::min<ULONG>(value.ulVal, 1u << 30)); ok = true; break;
        default: break;
        }
    }
    PropVariantClear(&value);
    return ok;
}

// A GIF is shown at its logical screen size with the first frame placed on it
// by its image descriptor; the frame alone may be smaller.
void ReadGifPlacement(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame, int& screenWidth,
                      int& screenHeight, int& left, int& top) {
    ComRef<IWICMetadataQueryReader> screen;
    if (SUCCEEDED(decoder->GetMetadataQueryReader(screen.Out()))) {
        int w = 0, h = 0;
        if (ReadNumber(screen.Get(), L"/logscrdesc/Width", w) && ReadNumber(screen.Get(), L"/logscrdesc/Height", h)) {
            screenWidth = w;
            screenHeight = h;
        }
    }
    ComRef<IWICMetadataQueryReader> image;
    if (SUCCEEDED(frame->GetMetadataQueryReader(image.Out()))) {
        ReadNumber(image.Get(), L"/imgdesc/Left", left);
        ReadNumber(image.Get(), L"/imgdesc/Top", top);
    }
}

// Straight alpha over white, rounded.
inline std::uint32_t OverWhite(std::uint32_t bgra) {
    const std::uint32_t a = bgra >> 24;
    if (a == 255) return bgra & 0x00FFFFFFu;
    const std::uint32_t white = 255 * (255 - a);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t c = (bgra >> shift) & 0xFF;
        out |= ((c * a + white + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

// ------------------------------------------------------------ PictureFile

void PictureFile::Close() noexcept {
    if (frame_) frame_->Release();
    if (decoder_) decoder_->Release();
    if (factory_) factory_->Release();
    frame_ = nullptr;
    decoder_ = nullptr;
    factory_ = nullptr;
    width_ = height_ = frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
}

bool PictureFile::Decode(PixelBuffer& out) noexcept {
    if (!frame_ || !factory_) return false;
    try {
        ComRef<IWICFormatConverter> converter;
        if (FAILED(factory_->CreateFormatConverter(converter.Out()))) return false;
        if (FAILED(converter->Initialize(frame_, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom)))
            return false;
        const UINT stride = static_cast<UINT>(frameWidth_) * 4;
        std::vector<std::uint32_t> frame(static_cast<size_t>(frameWidth_) * static_cast<size_t>(frameHeight_));
        if (FAILED(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(frameHeight_),
                                         reinterpret_cast<BYTE*>(frame.data()))))
            return false;

        PixelBuffer result;
        result.width = width_;
        result.height = height_;
        result.pixels.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0x00FFFFFFu);
        // The part of the frame that lies on the display area.
        const int columns = std::min(frameWidth_, width_ - frameLeft_);
        const int rows = std::min(frameHeight_, height_ - frameTop_);
        for (int y = 0; y < rows; ++y) {
            const std::uint32_t* src = frame.data() + static_cast<size_t>(y) * static_cast<size_t>(frameWidth_);
            std::uint32_t* dst = result.pixels.data() +
                                 static_cast<size_t>(y + frameTop_) * static_cast<size_t>(width_) +
                                 static_cast<size_t>(frameLeft_);
            for (int x = 0; x < columns; ++x) dst[x] = OverWhite(src[x]);
        }
        out = std::move(result);
        return true;
    } catch (...) {  // out of memory
        return false;
    }
}

// --------------------------------------------------------- PictureDecoder

PictureDecoder::~PictureDecoder() {
    if (factory_) factory_->Release();
}

long PictureDecoder::OpenCount() noexcept { return openCount; }

IWICImagingFactory* PictureDecoder::Factory() noexcept {
    if (!factory_)
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&factory_));
    return factory_;
}

bool PictureDecoder::Open(const std::string& path, PictureFile& file) noexcept {
    file.Close();
    try {
        IWICImagingFactory* factory = Factory();
        if (!factory) return false;
        const std::wstring widePath = Wide(path);
        if (widePath.empty()) return false;
        ++openCount;
        ComRef<IWICBitmapDecoder> decoder;
        if (FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, decoder.Out())))
            return false;
        ComRef<IWICBitmapFrameDecode> frame;
        if (FAILED(decoder->GetFrame(0, frame.Out()))) return false;
        UINT frameWidth = 0, frameHeight = 0;
        if (FAILED(frame->GetSize(&frameWidth, &frameHeight))) return false;
        if (frameWidth == 0 || frameHeight == 0 || frameWidth > kMaxSide || frameHeight > kMaxSide) return false;

        int width = static_cast<int>(frameWidth), height = static_cast<int>(frameHeight);
        int left = 0, top = 0;
        GUID container{};
        if (SUCCEEDED(decoder->GetContainerFormat(&container)) && container == GUID_ContainerFormatGif) {
            ReadGifPlacement(decoder.Get(), frame.Get(), width, height, left, top);
            // A frame reaching past the logical screen widens the picture.
            width = std::max(width, left + static_cast<int>(frameWidth));
            height = std::max(height, top + static_cast<int>(frameHeight));
        }
        if (width > kMaxSide || height > kMaxSide || static_cast<long long>(width) * height > kMaxPixels) return false;

        factory->AddRef();
        file.factory_ = factory;
        file.decoder_ = decoder.Detach();
        file.frame_ = frame.Detach();
        file.width_ = width;
        file.height_ = height;
        file.frameLeft_ = left;
        file.frameTop_ = top;
        file.frameWidth_ = static_cast<int>(frameWidth);
        file.frameHeight_ = static_cast<int>(frameHeight);
        return true;
    } catch (...) {
        file.Close();
        return false;
    }
}
