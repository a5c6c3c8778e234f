#include "platform/drive/drive_mapping.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets STRUMWELL_DRIVE_C for one test and puts back what the test runner had set.
class DriveEnv {
public:
    DriveEnv()
    {
        if (const char* old = std::getenv("STRUMWELL_DRIVE_C")) saved_ = old;
    }
    ~DriveEnv()
    {
        if (saved_) setenv("STRUMWELL_DRIVE_C", saved_->c_str(), 1);
        else unsetenv("STRUMWELL_DRIVE_C");
    }
    const std::optional<std::string>& saved() const { return saved_; }

private:
    std::optional<std::string> saved_;
};

struct PathCase {
    const char* windowsPath;
    const char* expected;  // under the drive C folder "/drive"; a leading '=' means unchanged
};

constexpr PathCase kPathCases[] = {
    {"C:\\Program Files\\Fretlane\\Strumwell\\rest.swf", "/drive/Program Files/Fretlane/Strumwell/rest.swf"},
    {"C:\\Program Files\\Fretlane\\Strumwell\\1stStringF#.swf", "/drive/Program Files/Fretlane/Strumwell/1stStringF#.swf"},
    {"C:\\Program Files\\Fretlane\\DUVEDI.ico", "/drive/Program Files/Fretlane/DUVEDI.ico"},
    {"C:\\Program Files\\Fretlane/WorksongMedium.swf", "/drive/Program Files/Fretlane/WorksongMedium.swf"},
    {"c:\\Program Files\\Fretlane\\Strumwell\\Am7.swf", "/drive/Program Files/Fretlane/Strumwell/Am7.swf"},
    {"C:/Program Files//Fretlane\\\\Strumwell\\", "/drive/Program Files/Fretlane/Strumwell"},
    {"C:\\", "/drive"},
    {"C:", "/drive"},
    {"relative\\rest.swf", "=relative\\rest.swf"},
    {"/tmp/song.swl", "=/tmp/song.swl"},
    {"", "="},
};

TEST(DriveMapping, WindowsPathsResolveUnderDriveC)
{
    DriveEnv env;
    setenv("STRUMWELL_DRIVE_C", "/drive", 1);
    for (const PathCase& c : kPathCases) {
        const std::string expected = c.expected[0] == '=' ? std::string(c.expected + 1) : std::string(c.expected);
        EXPECT_EQ(platform::ResolveWindowsPath(c.windowsPath).lexically_normal(),
                  std::filesystem::path(expected).lexically_normal())
            << c.windowsPath;
    }
}

TEST(DriveMapping, WithoutOverrideTheBuildTreeFolderIsUsed)
{
    DriveEnv env;
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        if (value) setenv("STRUMWELL_DRIVE_C", value, 1);
        else unsetenv("STRUMWELL_DRIVE_C");
        const auto folder = platform::DriveCFolder();
        const char* what = value ? "empty override" : "no override";
        EXPECT_TRUE(std::filesystem::is_regular_file(folder / "Program Files/Fretlane/Strumwell/rest.swf"))
            << what << ": " << folder;
        if (env.saved()) {
            EXPECT_TRUE(std::filesystem::equivalent(folder, *env.saved())) << what << ": " << folder;
        }
    }
}

TEST(DriveMapping, SharpInAClipNameFindsTheBuiltFile)
{
    EXPECT_TRUE(std::filesystem::is_regular_file(
        platform::ResolveWindowsPath("C:\\Program Files\\Fretlane\\Strumwell\\1stStringF#.swf")));
}

}  // namespace
