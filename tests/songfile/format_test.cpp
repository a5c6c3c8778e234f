// The song file's text rules on their own: values and lines, numbers, the written layout, tags.

#include <gtest/gtest.h>

#include "platform/kernel/code_page.h"
#include "songfile/song_check.h"
#include "songfile/song_file_format.h"
#include "songfile_fixture.h"

namespace strumwell::testing {
namespace {

using namespace songfile;

struct ValuesCase {
    std::string bytes;
    std::vector<std::pair<std::string, int>> values;  // text, line
};

TEST(SongFileValues, FieldRuleSplitsLinesAndCommas)
{
    const std::vector<ValuesCase> cases{
        {"", {}},
        {"a\r\nb\r\n", {{"a", 1}, {"b", 2}}},
        {"last line without end", {{"last line without end", 1}}},
        {"   lead blanks go, trail blanks stay  \r\n", {{"lead blanks go", 1}, {"trail blanks stay  ", 1}}},
        {"a,b\r\nc\r\n", {{"a", 1}, {"b", 1}, {"c", 2}}},
        {"a,\r\n", {{"a", 1}, {"", 1}}},
        {"\r\n\r\n", {{"", 1}, {"", 2}}},
        {"lf\ncr\rcrlf\r\n", {{"lf", 1}, {"cr", 2}, {"crlf", 3}}},
        {"\"quotes\" stay\r\n", {{"\"quotes\" stay", 1}}},
        {"\x80uro caf\xE9\r\n", {{"\xE2\x82\xACuro caf\xC3\xA9", 1}}},
    };
    for (const ValuesCase& c : cases) {
        std::vector<std::pair<std::string, int>> got;
        for (const FileValue& v : ReadValues(c.bytes, 200)) got.emplace_back(v.text, v.line);
        EXPECT_EQ(got, c.values) << c.bytes;
    }
    EXPECT_EQ(ReadValues("a\r\nb\r\nc\r\n", 2).size(), 2u);
}

TEST(SongFileValues, CodePageRoundTripsEveryByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(platform::ToAnsiCodePage(platform::FromAnsiCodePage(all)), all);
    EXPECT_EQ(platform::ToAnsiCodePage("\xE6\x97\xA5 \xE2\x82\xAC"), "? \x80");  // no such character, euro
    EXPECT_EQ(platform::ToAnsiCodePage("\xC3"), "?");                          // broken UTF-8
}

TEST(SongFileNumbers, ConversionsRoundHalvesToEvenAndRefuseTheRest)
{
    const std::vector<std::pair<std::string, std::optional<std::int16_t>>> tempos{
        {" 1400 ", 1400}, {"1400.5", 1400}, {"1401.5", 1402}, {"-300", -300}, {"+5", 5},
        {"1e3", 1000}, {"32767.4", 32767}, {"-32768.5", -32768}, {"32767.5", std::nullopt},
        {"40000", std::nullopt}, {"", std::nullopt}, {"fast", std::nullopt}, {"14 00", std::nullopt},
        {"0x10", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"+-5", std::nullopt}};
    for (const auto& [text, value] : tempos) EXPECT_EQ(ToTempo(text), value) << text;

    const std::vector<std::pair<std::string, std::optional<int>>> twips{
        {" 2055 ", 2055}, {"2055.5", 2056}, {"-100", -100}, {"3e9", std::nullopt},
        {"1e30", std::nullopt}, {"1e300", std::nullopt}, {"spare", std::nullopt}};
    for (const auto& [text, value] : twips) EXPECT_EQ(ToTwips(text), value) << text;
}

TEST(SongFileFormat, NumberFormHasASignPositionAndATrailingBlank)
{
    EXPECT_EQ(NumberForm(1400), " 1400 ");
    EXPECT_EQ(NumberForm(0), " 0 ");
    EXPECT_EQ(NumberForm(-250), "-250 ");
}

TEST(SongFileFormat, EmptyTextsGiveEmptyLinesAndALoneColon)
{
    SongSheet song;
    song.pageCount = "1";
    const std::vector<std::string> lines = FileLines(SongFileText(song));
    ASSERT_EQ(lines.size(), 122u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], ":");
    EXPECT_EQ(lines[42], ":");
    EXPECT_EQ(lines[43], ":");
}

TEST(SongFileFormat, NewerTagsAreTheClosedList)
{
    EXPECT_EQ(NewerVersionTags().size(), 28u);
    for (const char* tag : {"version 2.6", "version 2.94", "version 3", "version 4.9"})
        EXPECT_TRUE(IsNewerVersionTag(tag)) << tag;
    for (const char* tag : {"version 2.5", "version 2.95", "version 4.10", "version 5", "Version 3", "version 3 "})
        EXPECT_FALSE(IsNewerVersionTag(tag)) << tag;
}

TEST(SongFileFormat, NoticeLineHasItsBlanks)
{
    EXPECT_EQ(NoticeLine(),
              "PLEASE USE THE FRETLANE STRUMWELL (version 2.5) TO VIEW THIS FILE -  "
              "http://www.fretlane.example/   also www.fretlanemusic.example   Thankyou");
}

// Every fixture is read by the check as the layout its tag names.
TEST(SongFileCheck, FixturesReadAsTheirLayouts)
{
    const std::vector<std::pair<std::string, Layout>> cases{
        {"three_page_v25.swl", Layout::ThreePage}, {"three_page_v24.swl", Layout::ThreePage},
        {"one_page_v23.swl", Layout::OnePage},     {"first_edition.swl", Layout::FirstEdition},
        {"newer_v3.swl", Layout::Newer}};
    for (const auto& [name, layout] : cases) {
        for (const Entry entry : {Entry::FileMenu, Entry::CommandLine}) {
            const CheckResult r = CheckSongFile(ReadBytes(Fixture(name)), entry);
            ASSERT_TRUE(r.song) << name << ": " << r.error.reason;
            EXPECT_EQ(r.song->layout, layout) << name;
        }
    }
    // A tag that names neither a layout nor a newer edition is refused on line 9, however long
    // the file (a random binary file, a song in another encoding).
    for (const char* name : {"unknown_tag.swl", "lowercase_tag.swl"}) {
        for (const Entry entry : {Entry::FileMenu, Entry::CommandLine}) {
            const CheckResult r = CheckSongFile(ReadBytes(Fixture(name)), entry);
            ASSERT_FALSE(r.song) << name;
            EXPECT_EQ(r.error.line, 9) << name;
            EXPECT_FALSE(r.newerEdition) << name;
        }
    }
}

TEST(SongFileCheck, SpareRulesOfTheHeader)
{
    // First edition: "spare" on lines 4, 7 and 9.
    const CheckResult first = CheckSongFile(ReadBytes(Fixture("first_edition.swl")), Entry::CommandLine);
    ASSERT_TRUE(first.song);
    EXPECT_EQ(first.song->Tag(), "version 2");
    EXPECT_EQ(first.song->Line(7), "1");
    EXPECT_EQ(first.song->tempo->height, 2055);
    EXPECT_EQ(first.song->tempo->top, 2160);
    EXPECT_EQ(first.song->tempo->noteLength, 1400);
    EXPECT_EQ(first.song->tempo->caption, "1400");

    // Line 4 "spare" replaces numbers on lines 5 and 6; a "version 2" tag keeps its numbers.
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("first_edition.swl")));
    lines[4] = " 9999 ";
    lines[5] = " 77 ";
    const CheckResult spareHeight = CheckSongFile(JoinLines(lines), Entry::FileMenu);
    ASSERT_TRUE(spareHeight.song);
    EXPECT_EQ(spareHeight.song->tempo->top, 2160);
    EXPECT_EQ(spareHeight.song->tempo->noteLength, 1400);
    lines[3] = " 2255 ";
    lines[8] = "version 2";
    const CheckResult numbers = CheckSongFile(JoinLines(lines), Entry::FileMenu);
    ASSERT_TRUE(numbers.song);
    EXPECT_EQ(numbers.song->tempo->height, 2255);
    EXPECT_EQ(numbers.song->tempo->top, 9999);
    EXPECT_EQ(numbers.song->tempo->noteLength, 77);

    // The page-count rule: File > Open for every tag, the command line only for the first edition.
    // Without it a three-page file's "spare" would stand as the page count and lose page 3, so the
    // command line refuses that file.
    lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[6] = "spare";
    const CheckResult byMenu = CheckSongFile(JoinLines(lines), Entry::FileMenu);
    ASSERT_TRUE(byMenu.song);
    EXPECT_EQ(byMenu.song->Line(7), "1");
    const CheckResult byCommandLine = CheckSongFile(JoinLines(lines), Entry::CommandLine);
    ASSERT_FALSE(byCommandLine.song);
    EXPECT_EQ(byCommandLine.error.line, 7);
    EXPECT_NE(byCommandLine.error.reason.find("Line 7 holds \"spare\" where the page count should stand as 1, 2 or 3."),
              std::string::npos) << byCommandLine.error.reason;
}

// A first edition is always drawn as one page whatever its line 7 holds, so its line 7 is never a
// reason to refuse it, either way in.
TEST(SongFileCheck, FirstEditionLineSevenIsNotChecked)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("first_edition.swl")));
    for (const char* count : {"9", "0", "", "three", "spare"}) {
        lines[6] = count;
        for (const Entry entry : {Entry::FileMenu, Entry::CommandLine}) {
            SCOPED_TRACE(std::string("\"") + count + (entry == Entry::FileMenu ? "\" by File > Open" : "\" on the command line"));
            const CheckResult r = CheckSongFile(JoinLines(lines), entry);
            ASSERT_TRUE(r.song) << r.error.reason;
            EXPECT_EQ(r.song->layout, Layout::FirstEdition);
            if (std::string(count) == "spare") {
                EXPECT_EQ(r.song->Line(7), "1");
            }
        }
    }
}

// Which tempo lines must be numbers: lines 4 and 5 wherever the tempo is read, line 6 only where
// it becomes NoteLength. Elsewhere it is only the start caption and may hold any text.
TEST(SongFileCheck, TempoLineIsCheckedOnlyWhereItSetsNoteLength)
{
    struct Case {
        std::string file;
        Entry entry;
        bool readable;
    };
    const std::vector<Case> cases{
        {"three_page_v25.swl", Entry::CommandLine, false}, {"three_page_v24.swl", Entry::CommandLine, false},
        {"one_page_v23.swl", Entry::CommandLine, true},    {"newer_v3.swl", Entry::CommandLine, true},
        {"one_page_v23.swl", Entry::FileMenu, false},
        {"three_page_v25.swl", Entry::FileMenu, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + (c.entry == Entry::CommandLine ? " on the command line" : " by File > Open"));
        std::vector<std::string> lines = FileLines(ReadBytes(Fixture(c.file)));
        lines[5] = "fast";
        const CheckResult r = CheckSongFile(JoinLines(lines), c.entry);
        ASSERT_EQ(r.song.has_value(), c.readable) << r.error.reason;
        if (!c.readable) {
            EXPECT_EQ(r.error.line, 6);
            continue;
        }
        EXPECT_EQ(r.song->tempo->caption, "fast");
        EXPECT_EQ(r.song->tempo->height, std::stoi(lines[3]));
        // Line 4 is still a number that must convert.
        lines[3] = "tall";
        EXPECT_EQ(CheckSongFile(JoinLines(lines), c.entry).error.line, 4);
    }
}

// A short file names its last line; an empty one its first, the line that is missing.
TEST(SongFileCheck, ShortFileNamesTheLineItFailedOn)
{
    const std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    for (const auto& [kept, line] : std::vector<std::pair<long, int>>{{0, 1}, {1, 1}, {5, 5}, {121, 121}}) {
        const CheckResult r = CheckSongFile(JoinLines({lines.begin(), lines.begin() + kept}), Entry::FileMenu);
        ASSERT_FALSE(r.song) << kept;
        EXPECT_EQ(r.error.line, line) << kept;
    }
}

}  // namespace
}  // namespace strumwell::testing
