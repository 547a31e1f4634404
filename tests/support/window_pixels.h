// Pixels of a real window and of the bitmaps a window is painted from, for
// comparing what is on screen with what should be.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// Pixels as 0x00RRGGBB, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    bool empty() const { return pixels.empty(); }
    DWORD at(int x, int y) const { return pixels[y * width + x]; }
};

// The client area of a window, read through its own device context. Under
// Wine this reads what the window painted only for a window of this process.
Image captureWindow(HWND window);

// The screen under a window's client area, as the display shows it: the way
// to read a window of another process.
Image captureScreen(HWND window);

// A bitmap resource of a module as stored (32-bit packed DIB); empty when the
// module has no bitmap of that name or it is not in that format.
Image bitmapResource(HMODULE module, const std::string& name);

// A colour of the system palette (GetSysColor) as 0x00RRGGBB.
DWORD systemColour(int index);

// Copies source onto target at (x, y), or ORs it there; clipped to target.
void copyOnto(Image& target, const Image& source, int x, int y);
void orOnto(Image& target, const Image& source, int x, int y);
void fillRows(Image& target, int top, int bottom, DWORD colour);

// Empty when the two are equal, else how they differ (size, number of
// differing pixels and the first of them).
std::string imageDifference(const Image& expected, const Image& actual);
