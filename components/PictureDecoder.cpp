#include "PictureDecoder.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "GifAnimation.h"

namespace {

std::atomic<long> openCount{0};  // the window thread and the decode worker both open
thread_local long openCountHere = 0;

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
        case VT_BOOL: out = value.boolVal != VARIANT_FALSE; ok = true; break;
        default: break;
        }
    }
    PropVariantClear(&value);
    return ok;
}

// A byte string ("/appext/Application", "/appext/Data").
std::vector<std::uint8_t> ReadBytes(IWICMetadataQueryReader* reader, const wchar_t* name) {
    PROPVARIANT value;
    PropVariantInit(&value);
    std::vector<std::uint8_t> out;
    if (SUCCEEDED(reader->GetMetadataByName(name, &value)) && value.vt == (VT_VECTOR | VT_UI1))
        out.assign(value.caub.pElems, value.caub.pElems + value.caub.cElems);
    PropVariantClear(&value);
    return out;
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
    bytes_.clear();
    bytes_.shrink_to_fit();
    width_ = height_ = frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
    frameCount_ = 1;
}

bool PictureFile::Decode(PixelBuffer& out) noexcept {
    if (!frame_ || !factory_) return false;
    try {
        return frameCount_ > 1 ? DecodeAnimation(out) : DecodeFirstFrame(out);
    } catch (...) {  // out of memory
        return false;
    }
}

bool PictureFile::DecodeFirstFrame(PixelBuffer& out) {
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
        std::uint32_t* dst = result.pixels.data() + static_cast<size_t>(y + frameTop_) * static_cast<size_t>(width_) +
                             static_cast<size_t>(frameLeft_);
        for (int x = 0; x < columns; ++x) dst[x] = OverWhite(src[x]);
    }
    out = std::move(result);
    return true;
}

namespace {

// One frame of a GIF with its graphic control extension; false when the
// codec cannot give its pixels.
bool ReadGifFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, gif::Frame& out, int& delayMs) {
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 || width > PictureDecoder::kMaxSide ||
        height > PictureDecoder::kMaxSide)
        return false;
    int left = 0, top = 0, delay = 0, disposal = 0, transparent = 0, transparentIndex = -1;
    ComRef<IWICMetadataQueryReader> meta;
    if (SUCCEEDED(frame->GetMetadataQueryReader(meta.Out()))) {
        ReadNumber(meta.Get(), L"/imgdesc/Left", left);
        ReadNumber(meta.Get(), L"/imgdesc/Top", top);
        ReadNumber(meta.Get(), L"/grctlext/Delay", delay);
        ReadNumber(meta.Get(), L"/grctlext/Disposal", disposal);
        if (ReadNumber(meta.Get(), L"/grctlext/TransparencyFlag", transparent) && transparent)
            ReadNumber(meta.Get(), L"/grctlext/TransparentColorIndex", transparentIndex);
    }
    const size_t count = static_cast<size_t>(width) * height;
    WICPixelFormatGUID format{};
    std::vector<std::uint32_t> pixels;
    if (SUCCEEDED(frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat8bppIndexed) {
        // Indices and palette: which index is transparent is the extension's word.
        std::vector<BYTE> indices(count);
        if (FAILED(frame->CopyPixels(nullptr, width, static_cast<UINT>(count), indices.data()))) return false;
        ComRef<IWICPalette> palette;
        UINT colours = 0;
        if (FAILED(factory->CreatePalette(palette.Out())) || FAILED(frame->CopyPalette(palette.Get())) ||
            FAILED(palette->GetColorCount(&colours)))
            return false;
        std::vector<std::uint32_t> table(colours);
        if (colours && FAILED(palette->GetColors(colours, table.data(), &colours))) return false;
        table.resize(colours);
        pixels = gif::ExpandIndexed(indices.data(), count, table, transparentIndex);
    } else {
        ComRef<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
            FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom)))
            return false;
        pixels.resize(count);
        if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(count * 4),
                                         reinterpret_cast<BYTE*>(pixels.data()))))
            return false;
    }
    out.left = left;
    out.top = top;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels = std::move(pixels);
    out.disposal = gif::DisposalFromCode(disposal);
    delayMs = gif::FrameDelayMs(delay);
    return true;
}

// How often the animation plays, from the NETSCAPE2.0 application extension.
int ReadPlayCount(IWICBitmapDecoder* decoder) {
    ComRef<IWICMetadataQueryReader> meta;
    if (FAILED(decoder->GetMetadataQueryReader(meta.Out()))) return 1;
    const std::vector<std::uint8_t> application = ReadBytes(meta.Get(), L"/appext/Application");
    const std::string name(application.begin(), application.end());
    int loops = 0;
    const bool known = (name == "NETSCAPE2.0" || name == "ANIMEXTS1.0") &&
                       gif::ParseLoopCount(ReadBytes(meta.Get(), L"/appext/Data"), loops);
    return gif::PlayCount(known, loops);
}

}  // namespace

// Every frame composed on the logical screen, up to the first frame the
// codec cannot give (a damaged file keeps the frames before it) or the
// pixel limit.
bool PictureFile::DecodeAnimation(PixelBuffer& out) {
    const size_t framePixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    const int most = static_cast<int>(std::max<long long>(1, kMaxAnimationPixels / static_cast<long long>(framePixels)));
    const int wanted = std::min(frameCount_, most);
    gif::Composer composer(width_, height_);
    PixelBuffer result;
    result.width = width_;
    result.height = height_;
    for (int i = 0; i < wanted; ++i) {
        ComRef<IWICBitmapFrameDecode> frame;
        gif::Frame decoded;
        int delay = 0;
        if (i == 0) {
            frame_->AddRef();
            *frame.Out() = frame_;
        } else if (FAILED(decoder_->GetFrame(static_cast<UINT>(i), frame.Out()))) {
            break;
        }
        if (!ReadGifFrame(factory_, frame.Get(), decoded, delay)) break;
        result.pixels.resize(framePixels * static_cast<size_t>(i + 1));
        composer.Compose(decoded, result.pixels.data() + framePixels * static_cast<size_t>(i));
        result.delaysMs.push_back(delay);
    }
    if (result.delaysMs.empty()) return false;
    result.frames = static_cast<int>(result.delaysMs.size());
    result.plays = ReadPlayCount(decoder_);
    out = std::move(result);
    return true;
}

// --------------------------------------------------------- PictureDecoder

PictureDecoder::~PictureDecoder() {
    if (factory_) factory_->Release();
}

long PictureDecoder::OpenCount() noexcept { return openCount; }
long PictureDecoder::OpenCountOnThisThread() noexcept { return openCountHere; }

IWICImagingFactory* PictureDecoder::Factory() noexcept {
    if (!factory_)
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&factory_));
    return factory_;
}

namespace {

// The file's bytes, when they fit (see kMostBytes). They are read at once
// with every kind of sharing and decoded from memory: a decoder that kept
// the file open (as one made from the file name does) would make renaming,
// replacing or deleting the picture fail with a sharing violation, for the
// user in Explorer and for the program writing it, until it was closed.
bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& out) {
    // Room for an uncompressed picture of the largest size taken (a 32-bit
    // bitmap of kMaxPixels is 64 MB) with its headers and palette.
    constexpr DWORD kMostBytes = 80u << 20;
    static_assert(kMostBytes >= PictureDecoder::kMaxPixels * 4 + (1 << 20));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart <= kMostBytes;
    if (ok) {
        out.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        // A file cut short meanwhile (being written again) gives what it holds.
        ok = ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got > 0;
        out.resize(got);
    }
    CloseHandle(h);
    return ok;
}

}  // namespace

// A decoder over `bytes`, which then move into `file` (the stream reads from
// them for as long as the decoder lives).
bool PictureDecoder::OpenFromMemory(std::vector<std::uint8_t>& bytes, PictureFile& file,
                                    IWICBitmapDecoder** decoder) {
    ComRef<IWICStream> stream;
    if (FAILED(factory_->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory_->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder)))
        return false;
    file.bytes_ = std::move(bytes);  // the buffer itself moves, not a copy
    return true;
}

// Some codecs (Wine's) refuse a GIF whose later frames are cut off or
// damaged. It is then given the bytes up to the end of its last whole frame
// and a trailer, then to the end of the frame before, and so on, so the
// frames that decode still show.
bool PictureDecoder::OpenDamagedGif(const std::vector<std::uint8_t>& bytes, PictureFile& file,
                                    IWICBitmapDecoder** decoder) {
    constexpr size_t kMostTries = 16;
    const std::vector<size_t> ends = gif::CompleteFrameEnds(bytes.data(), bytes.size());
    for (size_t tries = 0; tries < std::min(ends.size(), kMostTries); ++tries) {
        std::vector<std::uint8_t> repaired(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(ends[ends.size() - 1 - tries]));
        repaired.push_back(0x3B);
        if (OpenFromMemory(repaired, file, decoder)) return true;
    }
    return false;
}

bool PictureDecoder::Open(const std::string& path, PictureFile& file) noexcept {
    file.Close();
    try {
        IWICImagingFactory* factory = Factory();
        if (!factory) return false;
        const std::wstring widePath = Wide(path);
        if (widePath.empty()) return false;
        ++openCount;
        ++openCountHere;
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(widePath, bytes)) return false;
        ComRef<IWICBitmapDecoder> decoder;
        if (!OpenFromMemory(bytes, file, decoder.Out()) && !OpenDamagedGif(bytes, file, decoder.Out())) return false;
        ComRef<IWICBitmapFrameDecode> frame;
        if (FAILED(decoder->GetFrame(0, frame.Out()))) return false;
        UINT frameWidth = 0, frameHeight = 0;
        if (FAILED(frame->GetSize(&frameWidth, &frameHeight))) return false;
        if (frameWidth == 0 || frameHeight == 0 || frameWidth > kMaxSide || frameHeight > kMaxSide) return false;

        int width = static_cast<int>(frameWidth), height = static_cast<int>(frameHeight);
        int left = 0, top = 0;
        UINT frames = 1;
        GUID container{};
        if (SUCCEEDED(decoder->GetContainerFormat(&container)) && container == GUID_ContainerFormatGif) {
            if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0) frames = 1;
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
        file.frameCount_ = static_cast<int>(std::min<UINT>(frames, 1u << 16));
        return true;
    } catch (...) {
        file.Close();
        return false;
    }
}
