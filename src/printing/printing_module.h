#pragma once
// Window capture and fitted printing: what a window shows becomes a picture, and a picture is
// printed as large as the printable area allows, from its top-left corner, proportions kept. No
// state; the device work is the platform's, this adds the order of the calls, the palette rule,
// the units and the fitting rule.

#include <cstdint>

#include "platform/forms/forms.h"
#include "platform/gdi/gdi.h"
#include "platform/printer/printer.h"

namespace strumwell::PrintingModule {

// The window's whole client area.
forms::Picture GrabFormClient(platform::Gdi& gdi, const forms::Form& form);

// The rectangle (left, top, width, height in pixels) of the window's client area (`client`) or of
// the whole window, copied into a new bitmap. A palette is made only on a 256-colour palette
// display.
forms::Picture GrabWindowArea(platform::Gdi& gdi, platform::HWND hwnd, bool client,
                              std::int32_t left, std::int32_t top, std::int32_t width,
                              std::int32_t height);

// A picture that owns the bitmap and the palette (0: none).
forms::Picture BitmapToPicture(platform::Gdi& gdi, platform::HBITMAP bitmap,
                               platform::HPALETTE palette);

// Paints the picture at (0, 0) of the printer's page, filling the printable width, or the
// printable height when the picture is taller in proportion. A picture without width or height,
// or a printable area without height, paints nothing (the printer's EndDoc then says so).
void PrintPictureFitted(platform::Printer& printer, const forms::Picture& picture);

}  // namespace strumwell::PrintingModule
