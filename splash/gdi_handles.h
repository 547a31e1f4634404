// Owners of the GDI handles that one paint acquires and releases.
#pragma once

#include <windows.h>

// A bitmap, deleted with the owner.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~OwnedBitmap()
    {
        if (bitmap_ != NULL)
            DeleteObject(bitmap_);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

// A memory device context. The bitmap it held when made is selected back
// before it is deleted, so that no bitmap of ours stays selected in it.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc()
    {
        if (dc_ == NULL)
            return;
        if (original_ != NULL)
            SelectObject(dc_, original_);
        DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

    void select(HBITMAP bitmap)
    {
        HGDIOBJ previous = SelectObject(dc_, bitmap);
        if (original_ == NULL)
            original_ = previous;
    }

private:
    HDC dc_;
    HGDIOBJ original_ = NULL;
};

// BeginPaint ... EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};
