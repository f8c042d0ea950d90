#include "PictureClipboard.h"

#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <map>

#include "ClipboardWrite.h"
#include "ComObj.h"
#include "Exceptions.h"
#include "PictureDecoder.h"

namespace {

// Enough for the pictures a user picks again and again; the oldest is
// dropped past it.
constexpr size_t kCachedPictures = 64;

struct CacheEntry {
    FILETIME written{};
    ULONGLONG size = 0;
    ULONGLONG lastUse = 0;
    ClipboardPicture picture;
};
std::map<std::string, CacheEntry> cache;
ULONGLONG useCounter = 0;

void Check(HRESULT hr) {
    if (FAILED(hr)) throw EOleError(hr, SysErrorMessage(static_cast<unsigned long>(hr)));
}

std::wstring WidePath(const std::string& path) {
    const int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, out.data(), size);
    out.resize(out.size() - 1);
    return out;
}

// The process's COM for the length of one call, where the thread has none.
class ComForCall {
public:
    ComForCall() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComForCall() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

// First frame as straight (not premultiplied) 32-bit BGRA, top-down.
std::vector<std::uint8_t> ReadFirstFrame(IWICImagingFactory* factory, const std::string& path, UINT& width,
                                         UINT& height) {
    TComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromFilename(WidePath(path).c_str(), nullptr, GENERIC_READ,
                                             WICDecodeMetadataCacheOnDemand, decoder.Put()));
    TComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.Put()));
    TComPtr<IWICBitmapSource> bgra;
    Check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), bgra.Put()));
    Check(bgra->GetSize(&width, &height));
    if (width == 0 || height == 0 || width > PictureDecoder::kMaxSide || height > PictureDecoder::kMaxSide ||
        static_cast<long long>(width) * height > PictureDecoder::kMaxPixels)
        throw Exception("The picture " + path + " is too large");
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    Check(bgra->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()));
    return pixels;
}

std::vector<std::uint8_t> EncodePng(IWICImagingFactory* factory, const std::vector<std::uint8_t>& pixels, UINT width,
                                    UINT height) {
    TComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    TComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()));
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    TComPtr<IWICBitmapFrameEncode> frame;
    TComPtr<IPropertyBag2> properties;
    Check(encoder->CreateNewFrame(frame.Put(), properties.Put()));
    Check(frame->Initialize(properties.Get()));
    Check(frame->SetSize(width, height));
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    Check(frame->SetPixelFormat(&format));
    if (format != GUID_WICPixelFormat32bppBGRA) throw EOleError(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT, "PNG encoder");
    Check(frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size()),
                             const_cast<BYTE*>(pixels.data())));
    Check(frame->Commit());
    Check(encoder->Commit());
    STATSTG stat{};
    Check(stream->Stat(&stat, STATFLAG_NONAME));
    HGLOBAL memory = nullptr;
    Check(GetHGlobalFromStream(stream.Get(), &memory));
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory));
    if (!bytes) RaiseLastOSError();
    std::vector<std::uint8_t> png(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return png;
}

// A packed CF_DIBV5: the header, then the rows bottom-up. Bit fields with an
// alpha mask where the picture has transparency; plain BI_RGB, all opaque,
// where it has none (readers that ignore the fourth byte lose nothing).
std::vector<std::uint8_t> MakeDibV5(const std::vector<std::uint8_t>& pixels, UINT width, UINT height) {
    bool translucent = false;
    for (size_t i = 3; i < pixels.size() && !translucent; i += 4) translucent = pixels[i] != 0xFF;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = static_cast<LONG>(width);
    header.bV5Height = static_cast<LONG>(height);
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = translucent ? BI_BITFIELDS : BI_RGB;
    header.bV5SizeImage = static_cast<DWORD>(pixels.size());
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = translucent ? 0xFF000000 : 0;
    header.bV5CSType = 0x73524742;  // LCS_sRGB ('sRGB', spelled out: the header's macro is a multi-character constant)
    header.bV5Intent = LCS_GM_IMAGES;
    std::vector<std::uint8_t> dib(sizeof header + pixels.size());
    std::memcpy(dib.data(), &header, sizeof header);
    const size_t stride = static_cast<size_t>(width) * 4;
    for (UINT y = 0; y < height; ++y)
        std::memcpy(dib.data() + sizeof header + stride * (height - 1 - y), pixels.data() + stride * y, stride);
    return dib;
}

ClipboardPicture Encode(const std::string& path) {
    ComForCall com;
    TComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           factory.PutVoid()));
    UINT width = 0, height = 0;
    const std::vector<std::uint8_t> pixels = ReadFirstFrame(factory.Get(), path, width, height);
    ClipboardPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.png = EncodePng(factory.Get(), pixels, width, height);
    picture.dibv5 = MakeDibV5(pixels, width, height);
    return picture;
}

std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

const ClipboardPicture& EncodeClipboardPicture(const std::string& anyPath) {
    const std::string path = WindowsPath(anyPath);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) RaiseLastOSError();
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    auto found = cache.find(path);
    if (found != cache.end() && CompareFileTime(&found->second.written, &data.ftLastWriteTime) == 0 &&
        found->second.size == size) {
        found->second.lastUse = ++useCounter;
        return found->second.picture;
    }
    ClipboardPicture picture = Encode(path);
    if (found == cache.end() && cache.size() >= kCachedPictures) {
        auto oldest = cache.begin();
        for (auto i = cache.begin(); i != cache.end(); ++i)
            if (i->second.lastUse < oldest->second.lastUse) oldest = i;
        cache.erase(oldest);
    }
    CacheEntry& entry = cache[path];
    entry.written = data.ftLastWriteTime;
    entry.size = size;
    entry.lastUse = ++useCounter;
    entry.picture = std::move(picture);
    return entry.picture;
}

void PutPictureOnClipboard(const std::string& path) {
    const ClipboardPicture& picture = EncodeClipboardPicture(path);
    const UINT pngFormat = RegisterClipboardFormatA("PNG");
    OpenedClipboard clipboard;
    if (!EmptyClipboard()) RaiseLastOSError();
    SetClipboardBytes(pngFormat, picture.png.data(), picture.png.size());
    SetClipboardBytes(CF_DIBV5, picture.dibv5.data(), picture.dibv5.size());
    clipboard.Close();
}

void ForgetClipboardPictures() { cache.clear(); }
