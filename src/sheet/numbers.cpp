#include "sheet/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace strumwell {
namespace {

std::string_view WithoutBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A finite number in plain decimal or exponent form, an optional sign in front.
std::optional<double> ToNumber(std::string_view text)
{
    text = WithoutBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        return std::nullopt;  // refuses "inf", "nan" and the like
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

bool IsNumber(std::string_view text) { return ToNumber(text).has_value(); }

std::optional<int> ToTwips(std::string_view text)
{
    const std::optional<double> number = ToNumber(text);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max()) return std::nullopt;
    const double rounded = std::nearbyint(static_cast<double>(static_cast<float>(*number)));
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::optional<std::int16_t> ToTempo(std::string_view text)
{
    const std::optional<double> number = ToNumber(text);
    if (!number) return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace strumwell
