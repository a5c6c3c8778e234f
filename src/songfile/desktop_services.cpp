#include "songfile/desktop_services.h"

namespace strumwell::songfile {
namespace {

class NoDialog final : public platform::CommonDialog {
public:
    void ShowOpen() override { FileName.clear(); }
    void ShowSave() override { FileName.clear(); }
};

class NoRegistry final : public platform::Registry {
public:
    long RegCreateKeyExA(platform::HKEY, const std::string&, std::uint32_t, const char*,
                         std::uint32_t, std::uint32_t, const void*, platform::HKEY*,
                         std::uint32_t*) override
    {
        return platform::ERROR_ACCESS_DENIED;
    }
    long RegOpenKeyExA(platform::HKEY, const std::string&, std::uint32_t, std::uint32_t,
                       platform::HKEY*) override
    {
        return platform::ERROR_ACCESS_DENIED;
    }
    long RegSetValueExA(platform::HKEY, const std::string&, std::uint32_t, std::uint32_t,
                        const void*, std::uint32_t) override
    {
        return platform::ERROR_INVALID_HANDLE;
    }
    long RegCloseKey(platform::HKEY) override { return platform::ERROR_INVALID_HANDLE; }
};

class NoShell final : public platform::Shell {
public:
    std::intptr_t ShellExecuteA(platform::HWND, const std::string&, const std::string&,
                                const std::string&, const std::string&, int) override
    {
        return 31;
    }
};

}  // namespace

platform::CommonDialog& SaveDialog(const platform::Services& services)
{
    static NoDialog none;
    return services.saveDialog ? *services.saveDialog : none;
}

platform::CommonDialog& OpenDialog(const platform::Services& services)
{
    static NoDialog none;
    return services.openDialog ? *services.openDialog : none;
}

platform::Registry& RegistryOf(const platform::Services& services)
{
    static NoRegistry none;
    return services.registry ? *services.registry : none;
}

platform::Shell& ShellOf(const platform::Services& services)
{
    static NoShell none;
    return services.shell ? *services.shell : none;
}

void Sleep(const platform::Services& services, unsigned milliseconds)
{
    if (services.kernel) services.kernel->Sleep(milliseconds);
}

void Tell(const platform::Services& services, const std::string& text)
{
    if (services.messageBox) services.messageBox->Show(text);
}

}  // namespace strumwell::songfile
