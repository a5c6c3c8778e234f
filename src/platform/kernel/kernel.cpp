#include "platform/kernel/kernel.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

namespace platform {

void SystemKernel::Sleep(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ProgramFile RunningProgram()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return {exe.parent_path().string(), exe.stem().string()};
}

}  // namespace platform
