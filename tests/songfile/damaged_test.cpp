// Damaged song files: the program keeps running, the song on show stays exactly as it was, and
// the user is told which file could not be read and on which line.

#include "songfile_fixture.h"

#include <sys/stat.h>

#include <tuple>

namespace strumwell::testing {
namespace {

class DamagedSongFile : public SongFileTest {
protected:
    struct Damaged {
        std::string bytes, trace;
    };

    // Opens each file both ways and expects it refused: by File > Open over a song on show, and
    // on the command line of a new start. Returns what the user was told, two messages a file.
    std::vector<std::string> ExpectRefused(const std::vector<Damaged>& files)
    {
        std::vector<std::string> said;
        auto told = [&](const std::string& path) {
            const std::string text = messages.texts.empty() ? std::string() : messages.texts.back();
            EXPECT_NE(text.find("\"" + path + "\""), std::string::npos) << text;
            messages.texts.clear();
            said.push_back(text);
        };
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < files.size(); ++i)
            paths.push_back(SongWith(files[i].bytes, "damaged" + std::to_string(i) + ".swl"));

        OpenByMenu(Fixture("three_page_v25.swl"));
        const auto shown = SongState();
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i].trace + ", File > Open");
            OpenByMenu(paths[i]);
            EXPECT_EQ(Differences(SongState(), shown), std::vector<std::string>{});
            told(paths[i]);
        }
        Start("");
        const auto empty = SongState();
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i].trace + ", command line");
            messages.texts.clear();
            Start(paths[i]);
            EXPECT_EQ(Differences(SongState(), empty), std::vector<std::string>{});
            told(paths[i]);
        }
        return said;
    }
    std::vector<std::string> ExpectRefused(const std::string& bytes, const std::string& trace)
    {
        return ExpectRefused(std::vector<Damaged>{{bytes, trace}});
    }
};

TEST_F(DamagedSongFile, EveryFixtureCutShortAtEveryLine)
{
    const std::vector<std::pair<std::string, std::size_t>> fixtures{
        {"three_page_v25.swl", 122}, {"three_page_v24.swl", 122}, {"one_page_v23.swl", 42},
        {"first_edition.swl", 26},   {"unknown_tag.swl", 42},     {"lowercase_tag.swl", 42}};
    std::vector<Damaged> files;
    std::vector<std::size_t> keptLines;
    for (const auto& [name, needed] : fixtures) {
        const std::vector<std::string> lines = FileLines(ReadBytes(Fixture(name)));
        for (std::size_t kept = 0; kept < needed; ++kept) {
            files.push_back({JoinLines({lines.begin(), lines.begin() + static_cast<long>(kept)}),
                             name + " cut to " + std::to_string(kept)});
            keptLines.push_back(kept);
        }
    }
    const std::vector<std::string> said = ExpectRefused(files);
    ASSERT_EQ(said.size(), 2 * files.size());
    for (std::size_t i = 0; i < said.size(); ++i) {
        const std::size_t kept = keptLines[i % files.size()];
        // A tag that names no layout is refused as soon as it is read, whatever follows it.
        const bool noLayout = files[i % files.size()].trace.find("_tag.swl") != std::string::npos;
        const std::string expected = kept == 0                ? std::string("The file is empty.")
                                     : noLayout && kept >= 9 ? std::string("Line 9 holds \"")
                                                             : "ends after line " + std::to_string(kept) + ",";
        EXPECT_NE(said[i].find(expected), std::string::npos) << said[i];
    }
}

// A tag that names neither a layout this program reads nor a newer edition: the file is refused
// whole, long or short, and nothing of it reaches the sheet. Such a file is often no song file at
// all: a binary file, or a song saved in another encoding.
TEST_F(DamagedSongFile, TagThatNamesNoLayout)
{
    std::string binary;
    for (int i = 0; i < 8192; ++i) binary += static_cast<char>((i * 7919 + i / 13) % 256);
    std::string utf16 = "\xFF\xFE";
    for (const char c : ReadBytes(Fixture("three_page_v25.swl"))) utf16 += std::string{c, '\0'};
    const std::vector<std::string> lines = FileLines(ReadBytes(Fixture("unknown_tag.swl")));
    std::vector<std::string> longer = lines;
    longer.resize(122, "spare");
    const std::vector<std::pair<std::string, std::string>> cases{
        {ReadBytes(Fixture("unknown_tag.swl")), "\"version 2.95\""},
        {ReadBytes(Fixture("lowercase_tag.swl")), "\"Version 2.5\""},
        {JoinLines(longer), "\"version 2.95\""},
        {JoinLines({lines.begin(), lines.begin() + 12}), "\"version 2.95\""},
        {utf16, ""},
    };
    for (const auto& [bytes, tag] : cases) {
        for (const std::string& text : ExpectRefused(bytes, "tag " + tag)) {
            EXPECT_NE(text.find("Line 9 holds " + tag), std::string::npos) << text;
            EXPECT_NE(text.find("which is not the tag of a song file this program reads."), std::string::npos) << text;
        }
    }
    // Binary bytes may end lines anywhere; whatever value stands ninth is named.
    for (const std::string& text : ExpectRefused(binary, "binary"))
        EXPECT_NE(text.find("which is not the tag of a song file this program reads."), std::string::npos) << text;
}

// The page count must read as 1, 2 or 3 once blanks and leading zeros are set aside; anything else
// would lose a page on the next Save.
TEST_F(DamagedSongFile, PageCountOtherThanOneToThree)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    for (const char* count : {"9", "0", "00", "", "three", "3.0", "+3", "-3", "3 3", "4", "1e0"}) {
        lines[6] = count;
        for (const std::string& text : ExpectRefused(JoinLines(lines), std::string("page count ") + count))
            EXPECT_NE(text.find("Line 7 holds \"" + std::string(count) + "\" where the page count should stand as 1, 2 or 3."),
                      std::string::npos) << text;
    }
}

// A huge value is quoted by a short, marked piece; the message stays short whatever the file.
TEST_F(DamagedSongFile, HugeValuesAreQuotedByAPiece)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[3] = std::string(3u << 20, 'x');
    const std::string piece = "Line 4 holds \"" + std::string(40, 'x') + "\u2026\" (3145728 characters) where";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "3 MB on line 4")) {
        EXPECT_NE(text.find(piece), std::string::npos) << text.substr(0, 400);
        EXPECT_LT(text.size(), 400u);
    }
    // A control character in a value shows as a replacement character, not raw.
    lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[3] = "12\x01" "3";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "control character"))
        EXPECT_NE(text.find("Line 4 holds \"12\uFFFD" "3\""), std::string::npos) << text;

    // A long path on the command line is quoted by its start, whatever its bytes: a megabyte of
    // letters, 200 KB of bytes that are no UTF-8 (each shows as one replacement character), and
    // four-byte characters.
    std::string astral, replaced;
    for (int i = 0; i < 1000; ++i) astral += "\U0001D11E";
    for (int i = 0; i < 199; ++i) replaced += "\uFFFD";
    const std::vector<std::tuple<std::string, std::string, std::string>> paths{
        {"/" + std::string(1u << 20, 'p'), "/" + std::string(199, 'p'), "1048577"},
        {"/" + std::string(200000, '\x80'), "/" + replaced, "200001"},
        {"/" + std::string(100000, '\xBF') + "\xC3", "/" + replaced, "100002"},
        {"/" + astral, "/" + astral.substr(0, 4 * 199), "1001"},
    };
    for (const auto& [path, start, count] : paths) {
        SCOPED_TRACE(count + " characters");
        messages.texts.clear();
        Start(path);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0].rfind("Could not open the song file \"" + start + "\u2026\" (" + count + " characters): ", 0), 0u)
            << messages.texts[0].substr(0, 300);
        EXPECT_LT(messages.texts[0].size(), 1200u);
    }
}

TEST_F(DamagedSongFile, NumberLineHoldingText)
{
    // A one-page file's line 6 is refused by File > Open only (the command line takes it as text).
    for (const char* name : {"three_page_v25.swl", "three_page_v24.swl", "one_page_v23.swl"}) {
        for (const int line : {4, 5, 6}) {
            if (line == 6 && std::string(name) == "one_page_v23.swl") continue;
            std::vector<std::string> lines = FileLines(ReadBytes(Fixture(name)));
            lines[static_cast<std::size_t>(line - 1)] = "fast";
            for (const std::string& text : ExpectRefused(JoinLines(lines), std::string(name) + " line " + std::to_string(line)))
                EXPECT_NE(text.find("Line " + std::to_string(line) + " holds \"fast\""), std::string::npos) << text;
        }
    }
    // A first edition's line 4 decides the tempo defaults; its lines 5 and 6 are not read then.
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("first_edition.swl")));
    lines[3] = "fast";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "first edition line 4"))
        EXPECT_NE(text.find("Line 4 holds \"fast\""), std::string::npos) << text;
}

TEST_F(DamagedSongFile, TempoOutOfRangeAndSpeedBarTooLarge)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[5] = " 40000 ";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "tempo 40000"))
        EXPECT_NE(text.find("Line 6 holds \"40000 \" as the tempo, outside -32768 to 32767."), std::string::npos) << text;
    lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[3] = " 1e30 ";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "height 1e30"))
        EXPECT_NE(text.find("Line 4 holds \"1e30 \", too large for the speed bar."), std::string::npos) << text;
}

// A comma moves every later value down a line: the lyrics land where the speed bar's height
// should stand.
TEST_F(DamagedSongFile, CommaInTheTitle)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[0] = "Morning, Strum";
    for (const std::string& text : ExpectRefused(JoinLines(lines), "comma in the title")) {
        EXPECT_NE(text.find("Line 3 holds \":first page words\" where the speed bar's height should stand"),
                  std::string::npos) << text;
        EXPECT_NE(text.find("Line 1 holds a comma"), std::string::npos) << text;
    }
}

TEST_F(DamagedSongFile, MissingFileAndFolder)
{
    const std::string missing = TempPath("no such song.swl");
    OpenByMenu(missing);
    ASSERT_FALSE(messages.texts.empty());
    EXPECT_EQ(messages.texts.back(), "Could not open the song file \"" + missing + "\": No such file or directory.");
    OpenByMenu(temp.path().toStdString());
    EXPECT_NE(messages.texts.back().find("Is a directory"), std::string::npos) << messages.texts.back();
}

// A file whose tag line names a newer edition is not damaged but newer: the panel says so and
// no message is added, also where the rest would not read here. A file that ends before its tag
// line is told like any other unreadable file.
TEST_F(DamagedSongFile, NewerFileShowsThePanelOnceItsTagIsRead)
{
    const std::vector<std::string> lines = FileLines(ReadBytes(Fixture("newer_v3.swl")));
    std::vector<std::string> badSpeed = lines;
    badSpeed[3] = "tall";  // read only by the command line; File > Open reads the file whole
    struct Case {
        std::string bytes, trace;
        bool panel, commandLineOnly = false;
    };
    const std::vector<Case> cases{
        {JoinLines({lines.begin(), lines.begin() + 8}), "cut before the tag", false},
        {JoinLines({lines.begin(), lines.begin() + 9}), "cut after the tag", true},
        {JoinLines({lines.begin(), lines.begin() + 20}), "cut to 20 lines", true},
        {JoinLines(badSpeed), "text for the speed bar", true, true},
    };
    for (const Case& c : cases) {
        const std::string path = SongWith(c.bytes);
        for (const bool commandLine : {false, true}) {
            if (c.commandLineOnly && !commandLine) continue;
            SCOPED_TRACE(c.trace + (commandLine ? ", command line" : ", File > Open"));
            messages.texts.clear();
            Start("");
            if (!commandLine) OpenByMenu(Fixture("three_page_v25.swl"));
            auto expected = SongState();
            if (commandLine)
                Start(path);
            else
                OpenByMenu(path);
            if (c.panel) expected["panel"] = "1/1500";
            EXPECT_EQ(Differences(SongState(), expected), std::vector<std::string>{});
            if (c.panel) {
                EXPECT_TRUE(messages.texts.empty());
            } else {
                ASSERT_EQ(messages.texts.size(), 1u);
                EXPECT_NE(messages.texts[0].find("\"" + path + "\""), std::string::npos) << messages.texts[0];
            }
        }
    }
}

// A pipe or a device could keep a read waiting forever: anything but a regular file is refused
// unopened, by either entry point.
TEST_F(DamagedSongFile, PipeAndDeviceAreRefusedUnopened)
{
    const std::string pipe = TempPath("song.swl");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Start("");
    const auto empty = SongState();
    for (const std::string& path : {pipe, std::string("/dev/null"), std::string("/dev/zero")}) {
        const std::string said = "Could not open the song file \"" + path + "\": it is not a song file.";
        SCOPED_TRACE(path);
        messages.texts.clear();
        OpenByMenu(path);
        EXPECT_EQ(messages.texts, std::vector<std::string>{said});
        messages.texts.clear();
        Start(path);
        EXPECT_EQ(messages.texts, std::vector<std::string>{said});
        EXPECT_EQ(Differences(SongState(), empty), std::vector<std::string>{});
    }
}

// After a refused file the next good one opens normally.
TEST_F(DamagedSongFile, NextOpenWorks)
{
    OpenByMenu(SongWith("half\r\na song\r\n"));
    OpenByMenu(Fixture("three_page_v25.swl"));
    EXPECT_EQ(VisibleTokens(), kFixturePage1);
}

}  // namespace
}  // namespace strumwell::testing
