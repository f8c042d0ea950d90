#include "ImgList.h"

#include <string>

#include "Exceptions.h"
#include "Graphics.h"
#include "Picture.h"

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    if (handle_) ImageList_Destroy(handle_);
}

void TImageList::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) throw Exception("Invalid image list size");
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (handle_) {
        ImageList_Destroy(handle_);
        handle_ = nullptr;
        Changed();
    }
}

HIMAGELIST TImageList::Handle() {
    if (!handle_) {
        handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
        if (!handle_) RaiseLastOSError();
    }
    return handle_;
}

int TImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int TImageList::AddMasked(const TBitmap& strip, TColor maskColor) {
    if (strip.Empty()) throw Exception("Cannot add an empty picture to an image list");
    if (strip.Height() != height_ || strip.Width() < width_)
        throw Exception("Picture size does not fit the image list");
    // The list may rewrite the masked pixels of the picture it is given.
    TBitmap copy = strip.Clone();
    int first = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(maskColor));
    if (first < 0) throw Exception("Unable to add images to the image list");
    Changed();
    return first;
}

void TImageList::LoadFromResourceName(HINSTANCE instance, const char* name) {
    TBitmap strip;
    strip.LoadFromResourceName(instance, name);
    AddMasked(strip, MaskColor);
}

void TImageList::Clear() {
    if (handle_ && ImageList_GetImageCount(handle_) > 0) {
        ImageList_Remove(handle_, -1);
        Changed();
    }
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
    if (index < 0 || index >= Count()) return;
    if (enabled) {
        ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT);
        return;
    }
    // Disabled: the image's shape embossed in the system's disabled colours.
    HICON icon = ImageList_GetIcon(handle_, index, ILD_TRANSPARENT);
    if (!icon) return;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, width_, height_,
               DST_ICON | DSS_DISABLED);
    DestroyIcon(icon);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
    Draw(canvas.Handle(), x, y, index, enabled);
}

void TImageList::GetBitmap(int index, TBitmap& target, COLORREF background) {
    target.SetSize(width_, height_, background);
    if (index < 0 || index >= Count()) return;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) RaiseLastOSError();
    HGDIOBJ old = SelectObject(dc, target.Handle());
    ImageList_DrawEx(handle_, index, dc, 0, 0, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT);
    SelectObject(dc, old);
    DeleteDC(dc);
}

void TImageList::GetIcon(int index, TIcon& target) {
    if (index < 0 || index >= Count()) throw Exception("Image index " + std::to_string(index) + " out of range");
    HICON icon = ImageList_GetIcon(handle_, index, ILD_NORMAL);
    if (!icon) RaiseLastOSError();
    target.SetHandle(icon);
}

void TImageList::Changed() { OnChange(this); }

void TImageList::Loaded() {
    if (pendingResource_.empty()) return;
    std::string name = std::move(pendingResource_);
    pendingResource_.clear();
    LoadFromResourceName(GetModuleHandleA(nullptr), name.c_str());
}

bool TImageList::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Width") SetWidth(r.Int(v));
    else if (name == "Height") SetHeight(r.Int(v));
    else if (name == "MaskColor") MaskColor = r.Color(v);
    else if (name == "Bitmap") {
        // Loaded once every property is read, so Width/Height may follow it;
        // a missing resource is reported here, at its line.
        std::string resource = r.Str(v);
        if (!FindResourceA(GetModuleHandleA(nullptr), resource.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */))
            throw Exception("Resource " + resource + " not found");
        pendingResource_ = resource;
        if (!Loading()) Loaded();
    } else return false;
    return true;
}
