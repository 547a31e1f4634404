#include "support/window_pixels.h"

#include <stdio.h>

namespace {

DWORD fromColorref(COLORREF colour)
{
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8)
        | GetBValue(colour);
}

} // namespace

namespace {

// Copies a rectangle of a device context into a top-down 32-bit image.
Image copyPixels(HDC source, int x, int y, int width, int height)
{
    Image image;
    if (width <= 0 || height <= 0)
        return image;
    image.width = width;
    image.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    image.pixels.assign(pixels, pixels + width * height);
    for (DWORD& pixel : image.pixels)
        pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    return image;
}

} // namespace

Image captureWindow(HWND window)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return Image();
    HDC windowDc = GetDC(window);
    Image image = copyPixels(windowDc, 0, 0, client.right, client.bottom);
    ReleaseDC(window, windowDc);
    return image;
}

Image captureScreen(HWND window)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return Image();
    POINT origin = { 0, 0 };
    ClientToScreen(window, &origin);
    HDC screen = GetDC(NULL);
    Image image = copyPixels(screen, origin.x, origin.y, client.right, client.bottom);
    ReleaseDC(NULL, screen);
    return image;
}

Image bitmapResource(HMODULE module, const std::string& name)
{
    Image image;
    HRSRC found = FindResourceA(module, name.c_str(), RT_BITMAP);
    if (found == NULL)
        return image;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    if (data == NULL || size < sizeof(BITMAPINFOHEADER))
        return image;
    BITMAPINFOHEADER header;
    memcpy(&header, data, sizeof header);
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (header.biBitCount != 32 || header.biCompression != BI_RGB || header.biWidth <= 0
        || size < header.biSize + static_cast<DWORD>(header.biWidth) * height * 4)
        return image;
    image.width = header.biWidth;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(image.width) * height);
    const BYTE* rows = data + header.biSize;
    for (int y = 0; y < height; ++y) {
        const int stored = header.biHeight > 0 ? height - 1 - y : y;  // positive height: bottom-up
        const BYTE* row = rows + static_cast<size_t>(stored) * image.width * 4;
        for (int x = 0; x < image.width; ++x) {
            const BYTE* p = row + x * 4;
            image.pixels[y * image.width + x] = (static_cast<DWORD>(p[2]) << 16) | (p[1] << 8) | p[0];
        }
    }
    return image;
}

DWORD systemColour(int index)
{
    return fromColorref(GetSysColor(index));
}

namespace {

template <typename Combine>
void blit(Image& target, const Image& source, int x0, int y0, Combine combine)
{
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const int tx = x0 + x;
            const int ty = y0 + y;
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height)
                continue;
            DWORD& pixel = target.pixels[ty * target.width + tx];
            pixel = combine(pixel, source.at(x, y));
        }
    }
}

} // namespace

void copyOnto(Image& target, const Image& source, int x, int y)
{
    blit(target, source, x, y, [](DWORD, DWORD s) { return s; });
}

void orOnto(Image& target, const Image& source, int x, int y)
{
    blit(target, source, x, y, [](DWORD t, DWORD s) { return t | s; });
}

void fillRows(Image& target, int top, int bottom, DWORD colour)
{
    for (int y = top; y < bottom && y < target.height; ++y)
        for (int x = 0; x < target.width; ++x)
            target.pixels[y * target.width + x] = colour;
}

std::string imageDifference(const Image& expected, const Image& actual)
{
    char text[200];
    if (expected.width != actual.width || expected.height != actual.height) {
        snprintf(text, sizeof text, "size %dx%d, expected %dx%d", actual.width, actual.height, expected.width,
                 expected.height);
        return text;
    }
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i) {
        if (expected.pixels[i] != actual.pixels[i] && differing++ == 0)
            first = i;
    }
    if (differing == 0)
        return std::string();
    snprintf(text, sizeof text, "%u pixels differ, the first at (%d, %d): %06lX, expected %06lX",
             static_cast<unsigned>(differing), static_cast<int>(first % expected.width),
             static_cast<int>(first / expected.width), static_cast<unsigned long>(actual.pixels[first]),
             static_cast<unsigned long>(expected.pixels[first]));
    return text;
}
