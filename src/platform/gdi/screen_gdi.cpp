#include "platform/gdi/gdi.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

#include <map>

namespace platform {

namespace {
constexpr HBITMAP kStockBitmap = 1;    // the one-pixel bitmap of a new memory context
constexpr HPALETTE kStockPalette = 2;  // the default palette of every context
constexpr int BITSPIXEL = 12;
constexpr int RC_BITBLT = 0x1, RC_BITMAP64 = 0x8, RC_DI_BITMAP = 0x80, RC_STRETCHBLT = 0x800;

// The top-level window behind a handle, or null when no such window is open.
QWidget* WindowOf(HWND hwnd)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (reinterpret_cast<HWND>(w) == hwnd) return w;
    return nullptr;
}
}  // namespace

struct ScreenGdi::State {
    struct Context {
        bool window = false;       // a window context, else a memory context
        QPointer<QWidget> widget;  // what a window context shows (null once the window is gone)
        HGDIOBJ bitmap = kStockBitmap;
        HPALETTE palette = kStockPalette;
    };
    int scale = 4;
    std::uintptr_t next = 100;
    std::map<HDC, Context> contexts;
    std::map<HBITMAP, QImage> bitmaps;
    std::map<HPALETTE, LOGPALETTE> palettes;

    HDC WindowContext(QWidget* widget)
    {
        if (!widget) return 0;
        const HDC hdc = next++;
        contexts[hdc] = {true, widget};
        return hdc;
    }
};

ScreenGdi::ScreenGdi(int captureScale) : state_(std::make_unique<State>())
{
    state_->scale = captureScale < 1 ? 1 : captureScale;
}

ScreenGdi::~ScreenGdi() = default;

HDC ScreenGdi::GetDC(HWND hwnd)
{
    QWidget* window = WindowOf(hwnd);
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        return state_->WindowContext(main->centralWidget());
    return state_->WindowContext(window);
}

HDC ScreenGdi::GetWindowDC(HWND hwnd) { return state_->WindowContext(WindowOf(hwnd)); }

int ScreenGdi::ReleaseDC(HWND, HDC hdc)
{
    const auto found = state_->contexts.find(hdc);
    if (found == state_->contexts.end() || !found->second.window) return 0;
    state_->contexts.erase(found);
    return 1;
}

HDC ScreenGdi::CreateCompatibleDC(HDC)
{
    const HDC hdc = state_->next++;
    state_->contexts[hdc] = {};
    return hdc;
}

HBITMAP ScreenGdi::CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    if (!state_->contexts.count(hdc) || cx <= 0 || cy <= 0) return 0;
    const int scale = state_->scale;
    QImage image(cx * scale, cy * scale, QImage::Format_RGB32);
    if (image.isNull()) return 0;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    const HBITMAP bitmap = state_->next++;
    state_->bitmaps[bitmap] = std::move(image);
    return bitmap;
}

HGDIOBJ ScreenGdi::SelectObject(HDC hdc, HGDIOBJ object)
{
    const auto found = state_->contexts.find(hdc);
    if (found == state_->contexts.end() || found->second.window) return 0;
    if (object != kStockBitmap && !state_->bitmaps.count(object)) return 0;
    const HGDIOBJ previous = found->second.bitmap;
    found->second.bitmap = object;
    return previous;
}

int ScreenGdi::GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_STRETCHBLT;
    case BITSPIXEL: return 32;
    default: return 0;  // SIZEPALETTE among them: the screen has no palette
    }
}

unsigned ScreenGdi::GetSystemPaletteEntries(HDC, unsigned, unsigned, PALETTEENTRY*) { return 0; }

HPALETTE ScreenGdi::CreatePalette(const LOGPALETTE& palette)
{
    const HPALETTE handle = state_->next++;
    state_->palettes[handle] = palette;
    return handle;
}

HPALETTE ScreenGdi::SelectPalette(HDC hdc, HPALETTE palette, bool)
{
    const auto found = state_->contexts.find(hdc);
    if (found == state_->contexts.end()) return 0;
    if (palette != kStockPalette && !state_->palettes.count(palette)) return 0;
    const HPALETTE previous = found->second.palette;
    found->second.palette = palette;
    return previous;
}

unsigned ScreenGdi::RealizePalette(HDC) { return 0; }

bool ScreenGdi::BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int x1, int y1,
                       std::uint32_t rop)
{
    const auto to = state_->contexts.find(dest);
    const auto from = state_->contexts.find(source);
    if (rop != SRCCOPY || to == state_->contexts.end() || from == state_->contexts.end())
        return false;
    const auto bitmap = state_->bitmaps.find(to->second.bitmap);
    QWidget* widget = from->second.widget.data();
    if (bitmap == state_->bitmaps.end() || !widget || cx <= 0 || cy <= 0) return false;
    // The widget paints itself into the finer bitmap: text at the bitmap's resolution, pictures
    // enlarged by whole pixels (the controls draw without smoothing).
    widget->render(&bitmap->second, QPoint(x, y), QRegion(x1, y1, cx, cy),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return true;
}

bool ScreenGdi::DeleteDC(HDC hdc)
{
    const auto found = state_->contexts.find(hdc);
    if (found == state_->contexts.end() || found->second.window) return false;
    state_->contexts.erase(found);
    return true;
}

bool ScreenGdi::DeleteObject(HGDIOBJ object)
{
    return state_->bitmaps.erase(object) > 0 || state_->palettes.erase(object) > 0;
}

std::size_t ScreenGdi::LiveHandles() const
{
    return state_->contexts.size() + state_->bitmaps.size() + state_->palettes.size();
}

QImage ScreenGdi::BitmapImage(HBITMAP bitmap) const
{
    const auto found = state_->bitmaps.find(bitmap);
    return found == state_->bitmaps.end() ? QImage() : found->second;
}

}  // namespace platform
