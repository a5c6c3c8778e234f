// The stand-ins of the platform services, for a run without them (platform/services.h): one
// object of each for the whole run.

#include "platform/services.h"

#include <QImage>

#include "platform/clock/clock.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/flash/flash_control.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/printer/printer.h"
#include "platform/forms/scale_units.h"
#include "platform/registry/registry.h"
#include "platform/shell/shell.h"

namespace platform {
namespace {

class NoFlash final : public FlashControl {
public:
    void LoadMovie(int, const std::string&) override {}
};

class NoDialog final : public CommonDialog {
public:
    void ShowOpen() override { FileName.clear(); }
    void ShowSave() override { FileName.clear(); }
};

class NoMessageBox final : public MessageBox {
public:
    void Show(const std::string&) override {}
};

class NoSaveQuestion final : public SaveQuestion {
public:
    SaveAnswer Ask(const std::string&, const std::string&) override { return SaveAnswer::DontSave; }
};

class NoRegistry final : public Registry {
public:
    long RegCreateKeyExA(HKEY, const std::string&, std::uint32_t, const char*, std::uint32_t, std::uint32_t,
                         const void*, HKEY*, std::uint32_t*) override
    {
        return ERROR_ACCESS_DENIED;
    }
    long RegOpenKeyExA(HKEY, const std::string&, std::uint32_t, std::uint32_t, HKEY*) override
    {
        return ERROR_ACCESS_DENIED;
    }
    long RegSetValueExA(HKEY, const std::string&, std::uint32_t, std::uint32_t, const void*, std::uint32_t) override
    {
        return ERROR_INVALID_HANDLE;
    }
    long RegCloseKey(HKEY) override { return ERROR_INVALID_HANDLE; }
};

// The shell's error code for a hand-over that did not happen (no program for it).
constexpr std::intptr_t kNotHandedOver = 31;

class NoShell final : public Shell {
public:
    std::intptr_t ShellExecuteA(HWND, const std::string&, const std::string&, const std::string&,
                                const std::string&, int) override
    {
        return kNotHandedOver;
    }
};

class NoKernel final : public Kernel {
public:
    void Sleep(unsigned) override {}
};

// Every call fails, so a capture gives an empty picture.
class NoGdi final : public Gdi {
public:
    HDC GetDC(HWND) override { return 0; }
    HDC GetWindowDC(HWND) override { return 0; }
    int ReleaseDC(HWND, HDC) override { return 0; }
    HDC CreateCompatibleDC(HDC) override { return 0; }
    HBITMAP CreateCompatibleBitmap(HDC, int, int) override { return 0; }
    HGDIOBJ SelectObject(HDC, HGDIOBJ) override { return 0; }
    int GetDeviceCaps(HDC, int) override { return 0; }
    unsigned GetSystemPaletteEntries(HDC, unsigned, unsigned, PALETTEENTRY*) override { return 0; }
    HPALETTE CreatePalette(const LOGPALETTE&) override { return 0; }
    HPALETTE SelectPalette(HDC, HPALETTE, bool) override { return 0; }
    unsigned RealizePalette(HDC) override { return 0; }
    bool BitBlt(HDC, int, int, int, int, HDC, int, int, std::uint32_t) override { return false; }
    bool DeleteDC(HDC) override { return false; }
    bool DeleteObject(HGDIOBJ) override { return false; }
    int OleCreatePictureIndirect(const PICTDESC&, InterfaceId, bool, forms::Picture& picture) override
    {
        picture = forms::Picture();
        return 1;
    }

protected:
    QImage BitmapImage(HBITMAP) const override { return {}; }
};

// A page without printable area: nothing is painted, and a document ends with nothing to tell.
class NoPrinter final : public Printer {
public:
    int ScaleMode() const override { return forms::vbTwips; }
    float ScaleWidth() const override { return 0; }
    float ScaleHeight() const override { return 0; }
    float ScaleX(float, int, int) const override { return 0; }
    float ScaleY(float, int, int) const override { return 0; }
    void PaintPicture(const forms::Picture&, float, float, float, float) override {}
    PrintOutcome EndDoc() override { return {}; }
};

template <class StandInType>
StandInType& One()
{
    static StandInType one;
    return one;
}

}  // namespace

FlashControl& StandIn(const FlashControl*) { return One<NoFlash>(); }
Clock& StandIn(const Clock*) { return RealClock(); }
CommonDialog& StandIn(const CommonDialog*) { return One<NoDialog>(); }
MessageBox& StandIn(const MessageBox*) { return One<NoMessageBox>(); }
SaveQuestion& StandIn(const SaveQuestion*) { return One<NoSaveQuestion>(); }
Registry& StandIn(const Registry*) { return One<NoRegistry>(); }
Shell& StandIn(const Shell*) { return One<NoShell>(); }
Kernel& StandIn(const Kernel*) { return One<NoKernel>(); }
Gdi& StandIn(const Gdi*) { return One<NoGdi>(); }
Printer& StandIn(const Printer*) { return One<NoPrinter>(); }

}  // namespace platform
