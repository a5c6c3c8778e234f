#pragma once
// Device contexts, bitmaps and palettes: what the program needs to copy what a window shows into a
// bitmap and wrap that bitmap as a picture. Handles are plain numbers, 0 for none; no call throws,
// a call that cannot do its work returns 0 (or false) and the caller passes that on.
//
// A window handle is the value of forms::Form::hWnd(). GetDC gives the window's client area,
// GetWindowDC the whole window.

#include <array>
#include <cstdint>
#include <memory>

#include <QImage>

#include "platform/forms/forms.h"

namespace platform {

using HWND = std::uintptr_t;
using HDC = std::uintptr_t;
using HGDIOBJ = std::uintptr_t;
using HBITMAP = std::uintptr_t;
using HPALETTE = std::uintptr_t;

inline constexpr int RASTERCAPS = 38;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int RC_PALETTE = 0x100;
inline constexpr std::uint32_t SRCCOPY = 0xCC0020;
inline constexpr std::uint32_t PICTYPE_BITMAP = 1;

struct PALETTEENTRY {
    std::uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

// A logical palette with room for exactly 256 entries.
struct LOGPALETTE {
    std::uint16_t palVersion = 0;
    std::uint16_t palNumEntries = 0;
    std::array<PALETTEENTRY, 256> palPalEntry{};
};

// The description of a bitmap picture.
struct PICTDESC {
    std::uint32_t cbSizeofstruct = 0;
    std::uint32_t picType = 0;
    HBITMAP hbitmap = 0;
    HPALETTE hpal = 0;
    std::uint32_t reserved = 0;
};

// The interfaces a new object can be asked for.
enum class InterfaceId { IDispatch };

class Gdi {
public:
    Gdi();
    virtual ~Gdi();
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;

    virtual HDC GetDC(HWND hwnd) = 0;
    virtual HDC GetWindowDC(HWND hwnd) = 0;
    virtual int ReleaseDC(HWND hwnd, HDC hdc) = 0;
    virtual HDC CreateCompatibleDC(HDC hdc) = 0;
    virtual HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) = 0;
    // Selects a bitmap into a memory context; returns the object it replaces.
    virtual HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) = 0;
    virtual int GetDeviceCaps(HDC hdc, int index) = 0;
    virtual unsigned GetSystemPaletteEntries(HDC hdc, unsigned start, unsigned count,
                                             PALETTEENTRY* entries) = 0;
    virtual HPALETTE CreatePalette(const LOGPALETTE& palette) = 0;
    virtual HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) = 0;
    virtual unsigned RealizePalette(HDC hdc) = 0;
    virtual bool BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int x1, int y1,
                        std::uint32_t rop) = 0;
    virtual bool DeleteDC(HDC hdc) = 0;
    virtual bool DeleteObject(HGDIOBJ object) = 0;

    // A new picture object of the bitmap that `desc` describes, as the interface `riid`, put into
    // `picture`; 0 when it was made, else nonzero with `picture` left empty. With `own`, the
    // picture owns the bitmap and the palette and deletes both when its last copy goes (if this
    // layer still exists then). The picture's Width and Height are the bitmap's size on screen in
    // hundredths of a millimetre.
    virtual int OleCreatePictureIndirect(const PICTDESC& desc, InterfaceId riid, bool own,
                                         forms::Picture& picture);

protected:
    // The pixels of a bitmap, for the picture; an unknown handle gives a null image.
    virtual QImage BitmapImage(HBITMAP bitmap) const = 0;

private:
    std::shared_ptr<Gdi*> self_;  // pictures hold it weakly, to free their handles only while it lives
};

// Over Qt: a client context renders the window's client area, finer than the screen by
// `captureScale` device pixels to a screen pixel, so that fonts are drawn at that resolution and
// pictures are enlarged by whole pixels, never smoothed. The screen has no palette.
class ScreenGdi final : public Gdi {
public:
    explicit ScreenGdi(int captureScale = 4);
    ~ScreenGdi() override;

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

    // How many contexts, bitmaps and palettes are alive (a capture leaves none behind but the
    // bitmap its picture owns).
    std::size_t LiveHandles() const;

protected:
    QImage BitmapImage(HBITMAP bitmap) const override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
