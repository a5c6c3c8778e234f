#pragma once
// The embedded clip player of the main window. The program only ever calls LoadMovie with layer 0
// and an absolute "C:\..." clip path; a load replaces whatever the layer was playing and starts the
// new clip at once. Nothing is read back and no failure is reported.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class FlashControl {
public:
    virtual ~FlashControl() = default;
    virtual void LoadMovie(int layer, const std::string& path) = 0;
};

// Test double: remembers every call in order and plays nothing.
class RecordingFlash final : public FlashControl {
public:
    void LoadMovie(int layer, const std::string& path) override { calls.emplace_back(layer, path); }
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& call : calls) out.push_back(call.second);
        return out;
    }
    std::vector<std::pair<int, std::string>> calls;
};

// The player the program uses: SoundFlash over the desktop's sound server, preloading the clips of
// `clipFolder` (a path as the program names it, through the drive mapping). Create it once at
// start-up; it never fails (without sound it plays silence).
std::unique_ptr<FlashControl> CreateFlashControl(std::string clipFolder);

}  // namespace platform
