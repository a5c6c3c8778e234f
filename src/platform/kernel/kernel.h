#pragma once
// What the program takes from the system kernel: Sleep, which blocks the calling thread (nothing
// is processed meanwhile), and where the running program file lies.

#include <functional>
#include <string>
#include <vector>

namespace platform {

class Kernel {
public:
    virtual ~Kernel() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Blocks the thread for real; a request to end the program cuts the pause short.
class SystemKernel final : public Kernel {
public:
    void Sleep(unsigned milliseconds) override;
};

// Test double: returns at once and remembers each pause; `onSleep`, when set, runs at each pause,
// so a test can look at the window at that moment.
class InstantKernel final : public Kernel {
public:
    void Sleep(unsigned milliseconds) override
    {
        sleeps.push_back(milliseconds);
        if (onSleep) onSleep(milliseconds);
    }
    std::vector<unsigned> sleeps;
    std::function<void(unsigned)> onSleep;
};

// The running program file: its folder and its name without an extension.
struct ProgramFile {
    std::string Path;     // the folder, without a trailing separator
    std::string EXEName;  // "Strumwell"
};

// The program file of this process, from the system.
ProgramFile RunningProgram();

}  // namespace platform
