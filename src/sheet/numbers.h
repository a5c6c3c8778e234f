#pragma once
// Numbers as the program reads them from its texts: the speed bar and the tempo of a song file,
// and the tempo caption that start-up turns into the tempo. Blanks around a number are allowed;
// a number is written in plain decimal or exponent form, with a sign in front if need be.

#include <cstdint>
#include <optional>
#include <string_view>

namespace strumwell {

// A speed-bar value: a single-precision number, rounded to whole twips (a half to the even
// neighbour); nothing when the text is no number or the value does not fit the widget.
std::optional<int> ToTwips(std::string_view text);
// A tempo: a 16-bit whole number, rounded the same way; nothing outside -32768 to 32767.
std::optional<std::int16_t> ToTempo(std::string_view text);
bool IsNumber(std::string_view text);

}  // namespace strumwell
