#include "platform/gdi/recording_gdi.h"

#include <sstream>

namespace platform {

RecordingGdi::~RecordingGdi() = default;

std::uintptr_t RecordingGdi::Record(const std::string& call, std::uintptr_t result)
{
    calls.push_back(call + " = " + std::to_string(result));
    return result;
}

namespace {
template <class... Args>
std::string Call(const char* name, Args... args)
{
    std::ostringstream out;
    out << name << '(';
    const char* separator = "";
    ((out << separator << args, separator = ", "), ...);
    out << ')';
    return out.str();
}
}  // namespace

PALETTEENTRY RecordingGdi::SystemEntry(unsigned i)
{
    return {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
            static_cast<std::uint8_t>(i / 2), 0};
}

HDC RecordingGdi::GetDC(HWND hwnd) { return Record(Call("GetDC", hwnd), Next()); }

HDC RecordingGdi::GetWindowDC(HWND hwnd) { return Record(Call("GetWindowDC", hwnd), Next()); }

int RecordingGdi::ReleaseDC(HWND hwnd, HDC hdc)
{
    return static_cast<int>(Record(Call("ReleaseDC", hwnd, hdc), 1));
}

HDC RecordingGdi::CreateCompatibleDC(HDC hdc)
{
    const HDC memory = Next();
    selected_[memory] = 1;  // the one-pixel bitmap every new memory context holds
    return Record(Call("CreateCompatibleDC", hdc), memory);
}

HBITMAP RecordingGdi::CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    const HBITMAP bitmap = Next();
    QImage image(cx > 0 ? cx : 0, cy > 0 ? cy : 0, QImage::Format_RGB32);
    image.fill(Qt::white);
    bitmaps_[bitmap] = image;
    return Record(Call("CreateCompatibleBitmap", hdc, cx, cy), bitmap);
}

HGDIOBJ RecordingGdi::SelectObject(HDC hdc, HGDIOBJ object)
{
    HGDIOBJ& slot = selected_[hdc];
    const HGDIOBJ previous = slot;
    slot = object;
    return Record(Call("SelectObject", hdc, object), previous);
}

int RecordingGdi::GetDeviceCaps(HDC hdc, int index)
{
    const int value = index == RASTERCAPS ? rasterCaps : index == SIZEPALETTE ? sizePalette : 0;
    calls.push_back(Call("GetDeviceCaps", hdc, index) + " = " + std::to_string(value));
    return value;
}

unsigned RecordingGdi::GetSystemPaletteEntries(HDC hdc, unsigned start, unsigned count,
                                               PALETTEENTRY* entries)
{
    for (unsigned i = 0; i < count; ++i) entries[i] = SystemEntry(start + i);
    return static_cast<unsigned>(Record(Call("GetSystemPaletteEntries", hdc, start, count), count));
}

HPALETTE RecordingGdi::CreatePalette(const LOGPALETTE& palette)
{
    createdPalette = palette;
    return Record(Call("CreatePalette", palette.palVersion, palette.palNumEntries), Next());
}

HPALETTE RecordingGdi::SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground)
{
    auto found = selectedPalette_.find(hdc);
    const HPALETTE previous = found == selectedPalette_.end() ? 2 : found->second;  // 2: default
    selectedPalette_[hdc] = palette;
    return Record(Call("SelectPalette", hdc, palette, forceBackground ? 1 : 0), previous);
}

unsigned RecordingGdi::RealizePalette(HDC hdc)
{
    return static_cast<unsigned>(Record(Call("RealizePalette", hdc), 256));
}

bool RecordingGdi::BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int x1, int y1,
                          std::uint32_t rop)
{
    return Record(Call("BitBlt", dest, x, y, cx, cy, source, x1, y1, rop), 1) != 0;
}

bool RecordingGdi::DeleteDC(HDC hdc)
{
    selected_.erase(hdc);
    selectedPalette_.erase(hdc);
    return Record(Call("DeleteDC", hdc), 1) != 0;
}

bool RecordingGdi::DeleteObject(HGDIOBJ object)
{
    const bool known = bitmaps_.erase(object) > 0 || object > 2;
    return Record(Call("DeleteObject", object), known ? 1 : 0) != 0;
}

QImage RecordingGdi::BitmapImage(HBITMAP bitmap) const
{
    const auto found = bitmaps_.find(bitmap);
    return found == bitmaps_.end() ? QImage() : found->second;
}

int RecordingGdi::OleCreatePictureIndirect(const PICTDESC& desc, InterfaceId riid, bool own,
                                           forms::Picture& picture)
{
    std::ostringstream description;
    description << '{' << desc.cbSizeofstruct << ", " << desc.picType << ", " << desc.hbitmap << ", "
                << desc.hpal << ", " << desc.reserved << '}';
    const int result = Gdi::OleCreatePictureIndirect(desc, riid, own, picture);
    const char* asked = riid == InterfaceId::IDispatch ? "IDispatch" : "?";
    return static_cast<int>(Record(Call("OleCreatePictureIndirect", description.str(), asked, own ? 1 : 0),
                                   static_cast<std::uintptr_t>(result)));
}

}  // namespace platform
