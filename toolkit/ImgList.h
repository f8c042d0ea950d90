// TImageList: a row of equally sized images with masks (a Win32 image list,
// ILC_COLOR24 | ILC_MASK), loaded from a BITMAP resource strip.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Classes.h"
#include "Colors.h"
#include "LayoutReader.h"

class TBitmap;
class TCanvas;
class TIcon;

class TImageList : public TComponent, public TLayoutProperties {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;
    const char* ClassName() const override { return "TImageList"; }

    // Image size; changing it empties the list.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);

    int Count() const;
    // The list, created on demand.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }

    // Pixels of this colour in added pictures are see-through.
    TColor MaskColor = clFuchsia;

    // Appends every image of a strip (Width pixels each); returns the index of
    // the first. Pixels of `maskColor` become transparent.
    int AddMasked(const TBitmap& strip, TColor maskColor);
    // Appends the images of a BITMAP resource strip (MaskColor is see-through).
    void LoadFromResourceName(HINSTANCE instance, const char* name);
    void Clear();

    // Draws image `index` at (x, y); a disabled image is drawn greyed.
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
    // Copies image `index` into `target` (Width x Height) over `background`.
    void GetBitmap(int index, TBitmap& target, COLORREF background);
    // Copies image `index` (with its mask) into `target`; raises for an index
    // outside the list.
    void GetIcon(int index, TIcon& target);

    TNotifyEvent OnChange;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Loaded() override;

private:
    void Changed();

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    std::string pendingResource_;  // read from a layout, loaded when loading ends
};
