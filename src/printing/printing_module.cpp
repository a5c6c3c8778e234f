#include "printing/printing_module.h"

#include <cmath>

#include "platform/forms/scale_units.h"

namespace strumwell::PrintingModule {

using namespace platform;

forms::Picture GrabFormClient(Gdi& gdi, const forms::Form& form)
{
    const HWND hwnd = form.hWnd();
    const float width = form.ScaleX(form.ScaleWidth(), form.ScaleMode(), forms::vbPixels);
    const float height = form.ScaleY(form.ScaleHeight(), form.ScaleMode(), forms::vbPixels);
    return GrabWindowArea(gdi, hwnd, true, 0, 0, static_cast<std::int32_t>(std::lround(width)),
                          static_cast<std::int32_t>(std::lround(height)));
}

forms::Picture GrabWindowArea(Gdi& gdi, HWND hwnd, bool client, std::int32_t left,
                              std::int32_t top, std::int32_t width, std::int32_t height)
{
    LOGPALETTE logPalette{};  // cleared for every capture
    const HDC source = client ? gdi.GetDC(hwnd) : gdi.GetWindowDC(hwnd);
    const HDC memory = gdi.CreateCompatibleDC(source);
    const HBITMAP bitmap = gdi.CreateCompatibleBitmap(source, width, height);
    const HGDIOBJ oldBitmap = gdi.SelectObject(memory, bitmap);

    const int hasPalette = gdi.GetDeviceCaps(source, RASTERCAPS) & RC_PALETTE;
    const int paletteSize = gdi.GetDeviceCaps(source, SIZEPALETTE);
    const bool makePalette = hasPalette != 0 && paletteSize == 256;
    HPALETTE oldPalette = 0;
    if (makePalette) {
        logPalette.palVersion = 0x300;
        logPalette.palNumEntries = 256;
        gdi.GetSystemPaletteEntries(source, 0, 256, logPalette.palPalEntry.data());
        const HPALETTE palette = gdi.CreatePalette(logPalette);
        oldPalette = gdi.SelectPalette(memory, palette, false);
        gdi.RealizePalette(memory);
    }

    gdi.BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);

    // Putting the old objects back hands over the ones this capture made.
    const HBITMAP captured = gdi.SelectObject(memory, oldBitmap);
    HPALETTE capturedPalette = 0;
    if (makePalette) capturedPalette = gdi.SelectPalette(memory, oldPalette, false);

    gdi.DeleteDC(memory);
    gdi.ReleaseDC(hwnd, source);
    return BitmapToPicture(gdi, captured, capturedPalette);
}

forms::Picture BitmapToPicture(Gdi& gdi, HBITMAP bitmap, HPALETTE palette)
{
    PICTDESC desc;
    desc.cbSizeofstruct = 20;
    desc.picType = PICTYPE_BITMAP;
    desc.hbitmap = bitmap;
    desc.hpal = palette;
    desc.reserved = 0;
    forms::Picture picture;
    gdi.OleCreatePictureIndirect(desc, InterfaceId::IDispatch, true, picture);  // owns both handles
    return picture;
}

void PrintPictureFitted(Printer& printer, const forms::Picture& picture)
{
    const int pictureWidth = picture.Width();
    const int pictureHeight = picture.Height();
    const double pageWidth =
        printer.ScaleX(printer.ScaleWidth(), printer.ScaleMode(), forms::vbHimetric);
    const double pageHeight =
        printer.ScaleY(printer.ScaleHeight(), printer.ScaleMode(), forms::vbHimetric);
    // An empty picture or page has no proportions to keep: nothing is painted.
    if (pictureWidth <= 0 || pictureHeight <= 0 || !(pageWidth > 0) || !(pageHeight > 0)) return;

    const double pictureRatio = static_cast<double>(pictureWidth) / pictureHeight;
    const double pageRatio = pageWidth / pageHeight;
    float width = 0;
    float height = 0;
    if (pictureRatio >= pageRatio) {
        const double w = pageWidth;
        const double h = pageWidth / pictureRatio;
        width = printer.ScaleX(static_cast<float>(w), forms::vbHimetric, printer.ScaleMode());
        height = printer.ScaleY(static_cast<float>(h), forms::vbHimetric, printer.ScaleMode());
    } else {
        const double h = pageHeight;
        const double w = pageHeight * pictureRatio;
        height = printer.ScaleY(static_cast<float>(h), forms::vbHimetric, printer.ScaleMode());
        width = printer.ScaleX(static_cast<float>(w), forms::vbHimetric, printer.ScaleMode());
    }
    printer.PaintPicture(picture, 0, 0, width, height);
}

}  // namespace strumwell::PrintingModule
