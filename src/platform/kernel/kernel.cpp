#include "platform/kernel/kernel.h"

#include "platform/kernel/quit_signals.h"

#include <filesystem>
#include <system_error>

namespace platform {

void SystemKernel::Sleep(unsigned milliseconds)
{
    PauseUnlessEnding(milliseconds);
}

ProgramFile RunningProgram()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return {exe.parent_path().string(), exe.stem().string()};
}

}  // namespace platform
