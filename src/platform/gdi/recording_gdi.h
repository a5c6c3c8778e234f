#pragma once
// Test double of the device layer: remembers every call with its arguments and result, hands out
// handles counting up from 100, and reports the palette capability it is told to.

#include <map>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace platform {

class RecordingGdi final : public Gdi {
public:
    // What GetDeviceCaps reports: RASTERCAPS and SIZEPALETTE. A 256-colour palette display is
    // {RC_PALETTE, 256}; the default is a true-colour display without a palette.
    int rasterCaps = 0;
    int sizePalette = 0;
    // Each call as "Name(arg, ...) = result", in the order made. Handles and numbers in decimal,
    // flags as 0/1.
    std::vector<std::string> calls;
    // The palette record CreatePalette was last given.
    LOGPALETTE createdPalette{};

    ~RecordingGdi() override;
    HDC GetDC(HWND hwnd) override;
    HDC GetWindowDC(HWND hwnd) override;
    int ReleaseDC(HWND hwnd, HDC hdc) override;
    HDC CreateCompatibleDC(HDC hdc) override;
    HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) override;
    HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) override;
    int GetDeviceCaps(HDC hdc, int index) override;
    unsigned GetSystemPaletteEntries(HDC hdc, unsigned start, unsigned count,
                                     PALETTEENTRY* entries) override;
    HPALETTE CreatePalette(const LOGPALETTE& palette) override;
    HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) override;
    unsigned RealizePalette(HDC hdc) override;
    bool BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int x1, int y1,
                std::uint32_t rop) override;
    bool DeleteDC(HDC hdc) override;
    bool DeleteObject(HGDIOBJ object) override;
    // Recorded as "OleCreatePictureIndirect({size, type, bitmap, palette, fifth}, IDispatch, own)".
    int OleCreatePictureIndirect(const PICTDESC& desc, InterfaceId riid, bool own,
                                 forms::Picture& picture) override;

    // The system palette the double reports: entry i is (i, 255 - i, i / 2), flags 0.
    static PALETTEENTRY SystemEntry(unsigned i);

protected:
    QImage BitmapImage(HBITMAP bitmap) const override;

private:
    std::uintptr_t Next() { return next_++; }
    std::uintptr_t Record(const std::string& call, std::uintptr_t result);
    std::uintptr_t next_ = 100;
    std::map<HBITMAP, QImage> bitmaps_;           // bitmaps, at their requested pixel size
    std::map<HDC, HGDIOBJ> selected_;             // memory context -> bitmap in it
    std::map<HDC, HPALETTE> selectedPalette_;     // memory context -> palette in it
};

}  // namespace platform
