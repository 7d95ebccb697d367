// Reads what Kivo's windows show on the screen, pixel by pixel, from the test process.
#ifndef KIVO_TESTS_SCREEN_H
#define KIVO_TESTS_SCREEN_H

#include <windows.h>

#include <string>
#include <vector>

namespace kivo_test {

// A block of screen pixels as COLORREF values (0x00BBGGRR), row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;

    COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && colours == other.colours;
    }
    // How many pixels of the block [left, right) x [top, bottom) have the colour.
    int Count(COLORREF colour, const RECT& block) const;
};

// The pixels that the screen shows in a rectangle given in the window's client coordinates.
Pixels CaptureClient(HWND window, const RECT& area);

// The pixels that a device context holds in [0, width) x [0, height).
Pixels CaptureDc(HDC dc, int width, int height);

// A rectangle of the window's client area, given by a child control, in client coordinates.
RECT ControlClientRect(HWND dialog, int controlId);

// "(r, g, b)", for failure messages.
std::string ColourName(COLORREF colour);

}  // namespace kivo_test

#endif
