#include "songfile/song_check.h"

#include <algorithm>

namespace strumwell::songfile {
namespace {

Layout LayoutOf(const std::string& tag)
{
    if (tag == kTag25 || tag == kTag24) return Layout::ThreePage;
    if (tag == kTag23) return Layout::OnePage;
    if (tag == kTag2) return Layout::FirstEdition;
    if (IsNewerVersionTag(tag)) return Layout::Newer;
    return Layout::Other;
}

// A value of the file in quotes, for a message: a long one is cut to its start, so that a huge
// line cannot make the message itself huge.
std::string Quoted(std::string_view text) { return QuotedPiece(text, kQuotedCharacters); }

// "Line 1 holds a comma, ..." for the first line before `upTo` that held more than one value.
std::string CommaHint(const std::vector<FileValue>& values, std::size_t upTo)
{
    for (std::size_t i = 1; i < values.size() && i <= upTo; ++i) {
        if (values[i].line == values[i - 1].line)
            return " Line " + std::to_string(values[i].line) +
                   " holds a comma, which moves every later value down one line.";
    }
    return {};
}

// "Line 7 holds "9" where ...", naming the file's line of the value that stands for `line`.
ReadError WrongValue(const std::vector<FileValue>& values, int line, std::string_view text, const std::string& what)
{
    const std::size_t index = static_cast<std::size_t>(line - 1);
    const int fileLine = values[index].line;
    return {fileLine, "Line " + std::to_string(fileLine) + " holds " + Quoted(text) + what + "." +
                          CommaHint(values, index)};
}

std::string LengthText(Layout layout, const std::string& tag)
{
    const std::string lines = std::to_string(LinesOf(layout));
    switch (layout) {
    case Layout::FirstEdition: return "a first-edition song file has " + lines + " lines";
    case Layout::ThreePage:
    case Layout::OnePage: return "a " + Quoted(tag) + " song file has " + lines + " lines";
    default: return "a song file tagged " + Quoted(tag) + " is read up to line " + lines;
    }
}

ReadError TooShort(const std::vector<FileValue>& values, const std::string& needs)
{
    if (values.empty()) return {1, "The file is empty."};  // its first line is the one missing
    const int last = values.back().line;
    return {last, "The file ends after line " + std::to_string(last) + ", but " + needs + "." +
                      CommaHint(values, values.size())};
}

// The "spare" rules of the header, and the page-count rule where the entry point applies it.
void ApplySpareRules(std::vector<std::string>& lines, Entry entry)
{
    if (lines[9] == kSpare) lines[9] = std::string(kTag2);
    if (lines[4] == kSpare) {
        lines[4] = kDefaultHeight;
        lines[5] = kDefaultTop;
        lines[6] = kDefaultTempo;
    }
    const bool pageRule = entry == Entry::FileMenu || LayoutOf(lines[9]) == Layout::FirstEdition;
    if (pageRule && lines[7] == kSpare) lines[7] = "1";
}

// Whether line 7 stays the page count: File > Open for every tag, the command line for the
// three-page layout. A first edition's drawing sets the count to 1 whatever line 7 held, so its
// line 7 can lose nothing and is not checked.
bool SetsPageCount(Layout layout, Entry entry)
{
    if (layout == Layout::FirstEdition) return false;
    return entry == Entry::FileMenu || layout == Layout::ThreePage;
}

// "1", "2" or "3" for a page count that reads as one of them once blanks and leading zeros are
// set aside ("3 ", "03"); nothing for anything else.
std::optional<std::string> PageCount(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    if (text != "1" && text != "2" && text != "3") return std::nullopt;
    return std::string(text);
}

bool AppliesTempo(Layout layout, Entry entry)
{
    return entry == Entry::CommandLine || (layout != Layout::Newer && layout != Layout::Other);
}

// Whether the tempo line becomes NoteLength. Where it does not (the command line's one-page,
// newer and unknown layouts) it only becomes the start caption, which may be any text: start-up
// falls back to its own tempo for a caption that is not a number.
bool SetsNoteLength(Layout layout, Entry entry)
{
    if (entry == Entry::FileMenu) return true;
    return layout == Layout::FirstEdition || layout == Layout::ThreePage;
}

// The tempo lines 4 to 6, or the error of the first that cannot be converted.
std::optional<ReadError> ReadTempo(const std::vector<FileValue>& values,
                                   const std::vector<std::string>& lines, bool withNoteLength,
                                   SongTempo& tempo)
{
    struct NumberLine {
        int line;
        const char* what;
    };
    static constexpr NumberLine kNumbers[] = {
        {4, "the speed bar's height"}, {5, "the speed bar's top"}, {6, "the tempo"}};
    for (const NumberLine& n : kNumbers) {
        const std::string& text = lines[static_cast<std::size_t>(n.line)];
        bool ok = false;
        if (n.line == 6 && !withNoteLength) {
            ok = true;
        } else if (n.line == 6) {
            const auto value = ToTempo(text);
            if (value) tempo.noteLength = *value;
            ok = value.has_value();
        } else {
            const auto value = ToTwips(text);
            if (value) (n.line == 4 ? tempo.height : tempo.top) = *value;
            ok = value.has_value();
        }
        if (ok) continue;
        if (!IsNumber(text)) return WrongValue(values, n.line, text, " where " + std::string(n.what) + " should stand as a number");
        if (n.line == 6) return WrongValue(values, n.line, text, " as the tempo, outside -32768 to 32767");
        return WrongValue(values, n.line, text, ", too large for the speed bar");
    }
    tempo.caption = lines[6];
    return std::nullopt;
}

}  // namespace

int LinesOf(Layout layout)
{
    switch (layout) {
    case Layout::ThreePage: return kThreePageLines;
    case Layout::FirstEdition: return kFirstEditionLines;
    default: return kOnePageLines;
    }
}

std::string SongFileContent::Lyrics(int line) const
{
    const std::string& text = Line(line);
    return text.starts_with(':') ? text.substr(1) : text;
}

const std::string& SongFileContent::CellToken(int page, int cell) const
{
    static constexpr int kPageStart[] = {0, 10, 50, 90};
    return Line(kPageStart[page] + cell);
}

CheckResult CheckSongFile(std::string_view bytes, Entry entry)
{
    CheckResult result;
    const std::vector<FileValue> values = ReadValues(bytes, kThreePageLines);
    if (values.size() < static_cast<std::size_t>(kHeaderLines)) {
        result.error = TooShort(values, "every song file has at least 9 lines");
        return result;
    }
    std::vector<std::string> lines(1);
    for (const FileValue& v : values) lines.push_back(v.text);
    lines.resize(kThreePageLines + 1);  // lines past the end stay empty and are never used

    const std::string tagAsRead = lines[9] == kSpare ? std::string(kTag2) : lines[9];
    const Layout layout = LayoutOf(tagAsRead);
    result.newerEdition = layout == Layout::Newer;
    if (layout == Layout::Other) {  // a damaged file, or no song file at all
        result.error = WrongValue(values, 9, lines[9], ", which is not the tag of a song file this program reads");
        return result;
    }
    if (values.size() < static_cast<std::size_t>(LinesOf(layout))) {
        result.error = TooShort(values, LengthText(layout, tagAsRead));
        return result;
    }
    ApplySpareRules(lines, entry);

    SongFileContent song;
    song.layout = layout;
    if (AppliesTempo(layout, entry)) {
        SongTempo tempo;
        if (auto error = ReadTempo(values, lines, SetsNoteLength(layout, entry), tempo)) {
            result.error = *error;
            return result;
        }
        song.tempo = tempo;
    }
    if (SetsPageCount(layout, entry)) {
        const std::optional<std::string> pages = PageCount(lines[7]);
        if (!pages) {
            result.error = WrongValue(values, 7, lines[7], " where the page count should stand as 1, 2 or 3");
            return result;
        }
        lines[7] = *pages;
    }
    song.lines = std::move(lines);
    result.song = std::move(song);
    return result;
}

}  // namespace strumwell::songfile
