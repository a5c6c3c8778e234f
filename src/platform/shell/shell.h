#pragma once
// The desktop shell: ShellExecuteA hands a file or a web address to whatever the desktop opens it
// with and returns at once. The program only uses the verb "Open" with web addresses and never
// looks at the result (above 32 when the hand-over worked, as the shell's callers expect).

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using HWND = std::uintptr_t;
inline constexpr int SW_SHOWNORMAL = 1;

class Shell {
public:
    virtual ~Shell() = default;
    virtual std::intptr_t ShellExecuteA(HWND hwnd, const std::string& lpOperation,
                                        const std::string& lpFile, const std::string& lpParameters,
                                        const std::string& lpDirectory, int nShowCmd) = 0;
};

// Over the desktop's opener (xdg-open), started apart from the program's terminal.
class DesktopShell final : public Shell {
public:
    std::intptr_t ShellExecuteA(HWND hwnd, const std::string& lpOperation, const std::string& lpFile,
                                const std::string& lpParameters, const std::string& lpDirectory,
                                int nShowCmd) override;
};

// Test double: remembers every call and opens nothing.
class RecordingShell final : public Shell {
public:
    struct Call {
        HWND hwnd;
        std::string operation, file, parameters, directory;
        int showCmd;
        bool operator==(const Call&) const = default;
    };
    std::intptr_t ShellExecuteA(HWND hwnd, const std::string& lpOperation, const std::string& lpFile,
                                const std::string& lpParameters, const std::string& lpDirectory,
                                int nShowCmd) override
    {
        calls.push_back({hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd});
        return 42;
    }
    std::vector<Call> calls;
};

}  // namespace platform
