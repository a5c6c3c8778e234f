#pragma once
// Playback keeps its counters and flags as label captions; these read them back as numbers.

#include <charconv>
#include <optional>
#include <string>

namespace strumwell::playback {

// The whole number a caption holds ("1", " 33 "), or nothing for any other text.
inline std::optional<int> CaptionNumber(const std::string& caption)
{
    const auto first = caption.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = caption.find_last_not_of(' ');
    int value = 0;
    const char* begin = caption.data() + first;
    const char* end = caption.data() + last + 1;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

inline constexpr int kCells = 32;
inline constexpr int kPastLastCell = 33;  // the position after cell 32, turned into 1 by the wrap

}  // namespace strumwell::playback
