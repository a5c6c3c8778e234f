// Damaged song files: the program keeps running, the song on show stays exactly as it was, and
// the user is told which file could not be read and on which line.

#include "songfile_fixture.h"

#include <sys/stat.h>

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
        const std::string expected = kept == 0 ? std::string("The file is empty.")
                                               : "ends after line " + std::to_string(kept) + ",";
        EXPECT_NE(said[i].find(expected), std::string::npos) << said[i];
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
