#pragma once
// The song file (.swl): plain text in the ANSI code page, one value a line, each line ended by
// CR LF. Save writes the three-page layout tagged "version 2.5" (122 lines); the reader also takes
// "version 2.4" (the same layout), the one-page "version 2.3" (42 lines) and the first edition
// (26 lines, whose "spare" tag line reads as "version 2").
//
// Three-page layout: 1 title, 2 author, 3 ":" + page-1 lyrics, 4 speed-bar height, 5 speed-bar
// top, 6 tempo, 7 page count, 8 "spare", 9 tag, 10 notice, 11-42 page 1, 43 and 44 ":" + lyrics of
// pages 2 and 3, 45-49 "spare", 50 "50", 51-82 page 2, 83 notice, 84-89 "spare", 90 "90",
// 91-122 page 3. Cell k of page p stands on line 10 + k, 50 + k and 90 + k.
//
// No part of this file touches the window, so the format can be tested and fuzzed on its own.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/numbers.h"  // the reader's number conversions

namespace strumwell::songfile {

inline constexpr std::string_view kSpare = "spare";
inline constexpr std::string_view kTag25 = "version 2.5";
inline constexpr std::string_view kTag24 = "version 2.4";
inline constexpr std::string_view kTag23 = "version 2.3";
inline constexpr std::string_view kTag2 = "version 2";
inline constexpr std::string_view kFilter = "Strumwell (*.swl)|*.swl";

inline constexpr int kHeaderLines = 9;
inline constexpr int kFirstEditionLines = 26;
inline constexpr int kOnePageLines = 42;
inline constexpr int kThreePageLines = 122;

// The defaults of the "spare" tempo rule: the speed bar's and the tempo's design values.
inline constexpr std::string_view kDefaultHeight = "2055";
inline constexpr std::string_view kDefaultTop = "2160";
inline constexpr std::string_view kDefaultTempo = "1400";

// The tags of later editions, whose files raise the newer-edition panel. The list is closed.
bool IsNewerVersionTag(std::string_view tag);
const std::array<std::string_view, 28>& NewerVersionTags();

// The maker's web addresses.
inline constexpr std::string_view kHomePage = "http://www.fretlane.example/";
inline constexpr std::string_view kDownloadPage = "http://www.fretlane.example/StrumwellFretlane.exe";
inline constexpr std::string_view kCompanySite = "www.fretlanemusic.example";

// Lines 10 and 83: a note for whoever opens the file in another program.
std::string NoticeLine();

// The number form of lines 4 to 6: a sign position (blank or "-"), the digits, one blank.
std::string NumberForm(long value);

// The file's lines as values, by the field rule: blanks at the start of a value are dropped, a
// value ends at a comma or at the end of its line, and a comma starts the next value on the same
// line. Each value carries the line it stands on. Text is turned from the code page into UTF-8.
// At most `maxValues` are read.
struct FileValue {
    std::string text;
    int line = 0;  // 1-based line of the file
};
std::vector<FileValue> ReadValues(std::string_view bytes, std::size_t maxValues);

// A text of a file, or a path, in quotes for a message to the user: control characters and bytes
// that are no UTF-8 show as U+FFFD (each such byte counting as a character), and a text longer
// than `characters` is cut after that many, marked by "..." and followed by its length, so that a
// huge value cannot make a huge message.
inline constexpr std::size_t kQuotedCharacters = 40;
inline constexpr std::size_t kQuotedPathCharacters = 200;
std::string QuotedPiece(std::string_view utf8, std::size_t characters);

// Everything Save writes, as the widgets hold it.
struct SongSheet {
    std::string title, author;
    std::array<std::string, 3> lyrics;  // pages 1 to 3
    int speedHeight = 0, speedTop = 0, noteLength = 0;
    std::string pageCount;
    std::array<std::array<std::string, 32>, 3> tokens;  // [page - 1][cell - 1]
};

// The 122 lines of the "version 2.5" layout, as bytes in the code page.
std::string SongFileText(const SongSheet& song);
// The same lines in UTF-8, before the code page: two songs differ here exactly where they differ
// on screen, also in characters that the code page turns alike into "?".
std::string SongText(const SongSheet& song);

}  // namespace strumwell::songfile
