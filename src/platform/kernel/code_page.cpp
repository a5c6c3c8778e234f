#include "platform/kernel/code_page.h"

#include <QChar>

#include <array>
#include <cstdint>
#include <unordered_set>

namespace platform {
namespace {

// Bytes 0x80 to 0x9F. The five bytes the code page leaves undefined stand for the control
// character of the same number, as the desktop's own converters do, so they survive a round trip.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CharacterOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;  // the rest is Latin-1
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence at `pos`, advancing it; nothing on a broken sequence.
bool NextCharacter(std::string_view s, std::size_t& pos, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(s[pos++]);
    int extra = 0;
    if (lead < 0x80) {
        c = lead;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F;
        extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F;
        extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07;
        extra = 3;
    } else {
        return false;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size() || (static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80) return false;
        c = (c << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
    }
    return true;
}

}  // namespace

std::string FromAnsiCodePage(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) AppendUtf8(out, CharacterOf(static_cast<unsigned char>(b)));
    return out;
}

std::string ToAnsiCodePage(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        out += NextCharacter(utf8, pos, c) ? ByteOf(c) : '?';
    }
    return out;
}

std::vector<char32_t> MissingFromAnsiCodePage(std::string_view utf8)
{
    std::vector<char32_t> missing;
    std::unordered_set<char32_t> seen;  // beside the list, so a paste of many characters stays linear
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (!NextCharacter(utf8, pos, c)) c = 0xFFFD;
        if (ByteOf(c) == '?' && c != U'?' && seen.insert(c).second) missing.push_back(c);
    }
    return missing;
}

std::string Utf8Of(char32_t c)
{
    std::string out;
    AppendUtf8(out, c);
    return out;
}

bool IsVisibleCharacter(char32_t c)
{
    if (c > 0x10FFFF) return false;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
        return false;
    default:
        return true;
    }
}

}  // namespace platform
