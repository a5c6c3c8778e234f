#include "songfile/song_file_format.h"

#include <algorithm>

#include "platform/kernel/code_page.h"

namespace strumwell::songfile {
namespace {

constexpr std::array<std::string_view, 28> kNewerVersionTags{
    "version 2.6", "version 2.7", "version 2.8", "version 2.9", "version 2.91", "version 2.92",
    "version 2.93", "version 2.94", "version 3", "version 3.1", "version 3.2", "version 3.3",
    "version 3.4", "version 3.5", "version 3.6", "version 3.7", "version 3.8", "version 3.9",
    "version 4", "version 4.1", "version 4.2", "version 4.3", "version 4.4", "version 4.5",
    "version 4.6", "version 4.7", "version 4.8", "version 4.9"};

class Lines {
public:
    void Add(std::string_view text)
    {
        out_ += text;
        out_ += "\r\n";
    }
    void Repeat(std::string_view text, int times)
    {
        for (int i = 0; i < times; ++i) Add(text);
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

std::string Lyrics(const std::string& text) { return ":" + text; }

}  // namespace

const std::array<std::string_view, 28>& NewerVersionTags() { return kNewerVersionTags; }

bool IsNewerVersionTag(std::string_view tag)
{
    return std::find(kNewerVersionTags.begin(), kNewerVersionTags.end(), tag) != kNewerVersionTags.end();
}

std::string NoticeLine()
{
    return "PLEASE USE THE FRETLANE STRUMWELL (version 2.5) TO VIEW THIS FILE -  " +
           std::string(kHomePage) + "   also " + std::string(kCompanySite) + "   Thankyou";
}

std::string NumberForm(long value)
{
    const std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
    return (value < 0 ? "-" : " ") + digits + " ";
}

std::vector<FileValue> ReadValues(std::string_view bytes, std::size_t maxValues)
{
    std::vector<FileValue> values;
    std::size_t pos = 0;
    int line = 1;
    bool afterComma = false;
    while (values.size() < maxValues && (pos < bytes.size() || afterComma)) {
        while (pos < bytes.size() && bytes[pos] == ' ') ++pos;
        const std::size_t start = pos;
        while (pos < bytes.size() && bytes[pos] != ',' && bytes[pos] != '\r' && bytes[pos] != '\n') ++pos;
        values.push_back({platform::FromAnsiCodePage(bytes.substr(start, pos - start)), line});
        afterComma = pos < bytes.size() && bytes[pos] == ',';
        if (afterComma) {
            ++pos;
        } else if (pos < bytes.size()) {  // a line end: CR LF, LF or CR alone
            if (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ++pos;
            ++pos;
            ++line;
        }
    }
    return values;
}

namespace {
// The length in bytes of the well-formed UTF-8 character at the start of `text`, or 0 where its
// first byte starts none (a stray continuation byte, a cut or overlong sequence, a surrogate).
std::size_t Utf8Length(std::string_view text)
{
    const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = at(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    return length;
}
}  // namespace

std::string QuotedPiece(std::string_view utf8, std::size_t characters)
{
    // Every byte that starts no character counts as one and shows as U+FFFD, so the piece holds
    // at most `characters` characters of at most 4 bytes, whatever the bytes.
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out = "\"";
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++count) {
        const std::size_t length = Utf8Length(utf8.substr(i));
        if (count < characters) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            const bool control = byte < 0x20 || byte == 0x7F || (byte == 0xC2 && length == 2 &&
                                                                 static_cast<unsigned char>(utf8[i + 1]) < 0xA0);
            if (length == 0 || control)
                out += kReplacement;
            else
                out += utf8.substr(i, length);
        }
        i += std::max<std::size_t>(length, 1);
    }
    if (count <= characters) return out + "\"";
    return out + "\xE2\x80\xA6\" (" + std::to_string(count) + " characters)";
}

std::string SongFileText(const SongSheet& song) { return platform::ToAnsiCodePage(SongText(song)); }

std::string SongText(const SongSheet& song)
{
    Lines lines;
    lines.Add(song.title);
    lines.Add(song.author);
    lines.Add(Lyrics(song.lyrics[0]));
    lines.Add(NumberForm(song.speedHeight));
    lines.Add(NumberForm(song.speedTop));
    lines.Add(NumberForm(song.noteLength));
    lines.Add(song.pageCount);
    lines.Add(kSpare);
    lines.Add(kTag25);
    lines.Add(NoticeLine());
    for (const std::string& token : song.tokens[0]) lines.Add(token);
    lines.Add(Lyrics(song.lyrics[1]));
    lines.Add(Lyrics(song.lyrics[2]));
    lines.Repeat(kSpare, 5);
    lines.Add("50");
    for (const std::string& token : song.tokens[1]) lines.Add(token);
    lines.Add(NoticeLine());
    lines.Repeat(kSpare, 6);
    lines.Add("90");
    for (const std::string& token : song.tokens[2]) lines.Add(token);
    return lines.Take();
}

}  // namespace strumwell::songfile
