// Registration of the song file type: the registry calls in order, the file registry and its
// mirror in the desktop's database, all in temporary XDG folders.

#include "songfile_fixture.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/registry/file_registry.h"
#include "songfile/file_association.h"
#include "support/without_rights.h"

namespace strumwell::testing {
namespace {

namespace fs = std::filesystem;
using platform::HKEY_CLASSES_ROOT;
using Call = platform::RecordingRegistry::Call;

const platform::ProgramFile kProgram{"/opt/Fret lane", "Strumwell"};
const std::string kIcon = "C:\\Program Files\\Fretlane\\DUVEDI.ico";

void Register(platform::Registry& registry, const platform::ProgramFile& program = kProgram)
{
    FileAssociation::RegisterFileType(registry, program, "Strumwell", "swl", "Strumwell File", kIcon);
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

TEST(FileAssociation, RegistryCallsInOrderWithTheirData)
{
    platform::RecordingRegistry registry;
    Register(registry);
    const std::uint32_t access = 0x3F;
    auto create = [&](const std::string& key) { return Call{"create", HKEY_CLASSES_ROOT, key, access, 0, 0, {}}; };
    auto open = [&](const std::string& key) { return Call{"open", HKEY_CLASSES_ROOT, key, access, 0, 0, {}}; };
    auto set = [](platform::HKEY key, const std::string& data) { return Call{"set", key, "", 0, 0, 1, Sz(data)}; };
    auto close = [](platform::HKEY key) { return Call{"close", key, {}, 0, 0, 0, {}}; };
    const std::vector<Call> expected{
        create(".swl"), close(1),
        open(".swl"), set(2, "Strumwell"), close(2),
        create("Strumwell\\shell\\open\\command"), close(3),
        create("Strumwell\\DefaultIcon"), close(4),
        open("Strumwell"), set(5, "Strumwell File"), close(5),
        open("Strumwell\\shell\\open\\command"), set(6, "/opt/Fret lane\\Strumwell %1"), close(6),
        open("Strumwell\\DefaultIcon"), set(7, kIcon), close(7),
    };
    EXPECT_EQ(registry.calls, expected);
    EXPECT_EQ(registry.calls[3].data.size(), 10u);  // nine characters and the NUL
}

TEST(FileAssociation, WriteRegistryValueByType)
{
    struct Case {
        std::uint32_t type;
        FileAssociation::RegistryValue value;
        std::string data;  // "-" when nothing is written
    };
    const std::vector<Case> cases{
        {1, std::string(""), std::string(1, '\0')},
        {1, std::string("caf\xC3\xA9"), std::string("caf\xE9") + '\0'},  // the code page
        {1, std::int64_t{7}, Sz("7")},
        {4, std::string("12"), std::string("\x0C\0\0\0", 4)},
        {4, std::int64_t{-1}, std::string("\xFF\xFF\xFF\xFF", 4)},
        {4, std::string("twelve"), "-"},
        {7, std::string("a"), "-"},
    };
    for (const Case& c : cases) {
        platform::RecordingRegistry registry;
        const long result = FileAssociation::WriteRegistryValue(registry, 9, "", c.type, c.value);
        if (c.data == "-") {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(registry.calls.empty());
        } else {
            ASSERT_EQ(registry.calls.size(), 1u);
            EXPECT_EQ(registry.calls[0].data, c.data);
            EXPECT_EQ(registry.calls[0].type, c.type);
        }
    }
}

// Every start registers, after the command-line open and before the rest of the start-up.
TEST_F(SongFileTest, StartUpRegistersAfterTheCommandLineOpen)
{
    std::vector<std::size_t> callsAtPauses;
    kernel.onSleep = [&](unsigned) { callsAtPauses.push_back(registry.calls.size()); };
    registry.calls.clear();
    Start(Fixture("three_page_v25.swl"));
    EXPECT_EQ(callsAtPauses, (std::vector<std::size_t>{0, 0, 0, 0}));
    ASSERT_EQ(registry.calls.size(), 18u);
    const platform::ProgramFile program = platform::RunningProgram();
    EXPECT_EQ(registry.calls[13].data, Sz(program.Path + "\\" + program.EXEName + " %1"));
    Start("");
    EXPECT_EQ(registry.calls.size(), 36u);
}

TEST_F(SongFileTest, StartUpGoesOnWhenTheRegistryRefuses)
{
    registry.denyAll = true;
    registry.calls.clear();
    Start("");
    EXPECT_EQ(w().NoteLength, 1400);
    EXPECT_EQ(w().PlayPosition, 1);
    EXPECT_TRUE(messages.texts.empty());
    for (const Call& c : registry.calls) {
        if (c.op == "set") {
            EXPECT_EQ(c.key, 0u);  // no key was opened to write into
        }
    }
}

class DesktopRegistration : public ::testing::Test {
protected:
    platform::XdgFolders Folders() const
    {
        return {fs::path(home.path().toStdString()) / "config", fs::path(home.path().toStdString()) / "data"};
    }
    platform::ToolRunner Recorder()
    {
        return [this](const std::string& program, const std::vector<std::string>& args) {
            std::string line = program;
            for (const std::string& a : args) line += " " + a;
            tools.push_back(line);
        };
    }
    // Runs the desktop's tools and waits for them.
    static platform::ToolRunner RunningTools()
    {
        return [](const std::string& program, const std::vector<std::string>& args) {
            QStringList list;
            for (const std::string& a : args) list << QString::fromStdString(a);
            QProcess tool;
            tool.setStandardOutputFile(QProcess::nullDevice());  // its notes on the search path
            tool.start(QString::fromStdString(program), list);
            tool.waitForFinished(60000);
        };
    }
    using Files = std::vector<std::pair<fs::path, std::string>>;
    // Empties the home, then writes the files, with their folders.
    void FreshHome(const Files& files) const
    {
        for (const auto& entry : fs::directory_iterator(home.path().toStdString())) fs::remove_all(entry.path());
        for (const auto& [path, text] : files) {
            fs::create_directories(path.parent_path());
            WriteBytes(path.string(), text);
        }
    }
    static std::string Read(const fs::path& p) { return ReadBytes(p.string()); }
    static ino_t Inode(const fs::path& p)
    {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    QTemporaryDir home;
    std::vector<std::string> tools;
};

TEST_F(DesktopRegistration, RegistryFileHoldsTheKeysInOrder)
{
    platform::FileRegistry registry(Folders(), Recorder());
    Register(registry);
    EXPECT_EQ(Read(registry.File()),
              "; Keys under HKEY_CLASSES_ROOT and their values, in the order they were made.\n"
              "[.swl]\n"
              "@=1:\"Strumwell\\x00\"\n"
              "[Strumwell]\n"
              "@=1:\"Strumwell File\\x00\"\n"
              "[Strumwell\\shell]\n"
              "[Strumwell\\shell\\open]\n"
              "[Strumwell\\shell\\open\\command]\n"
              "@=1:\"/opt/Fret lane\\\\Strumwell %1\\x00\"\n"
              "[Strumwell\\DefaultIcon]\n"
              "@=1:\"C:\\\\Program Files\\\\Fretlane\\\\DUVEDI.ico\\x00\"\n");
    EXPECT_EQ(registry.File(), Folders().config / "strumwell" / "registry");
}

// The desktop files say what the registry says; the tools run after their folder changed.
TEST_F(DesktopRegistration, MirrorWritesTheDesktopFiles)
{
    platform::FileRegistry registry(Folders(), Recorder());
    Register(registry);
    const auto report = registry.MirrorNow();
    const fs::path data = Folders().data;
    EXPECT_EQ(Read(data / "applications" / "strumwell.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Strumwell\n"
              "Comment=Strumwell File\n"
              "TryExec=/opt/Fret lane/Strumwell\n"
              "Exec=\"/opt/Fret lane/Strumwell\" %f\n"
              "Icon=application-x-strumwell\n"
              "MimeType=application/x-strumwell;\n"
              "Terminal=false\n"
              "NoDisplay=true\n");
    const std::string package = Read(data / "mime" / "packages" / "strumwell.xml");
    EXPECT_NE(package.find("<mime-type type=\"application/x-strumwell\">"), std::string::npos);
    EXPECT_NE(package.find("<comment>Strumwell File</comment>"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.swl\"/>"), std::string::npos);
    EXPECT_NE(package.find("<icon name=\"application-x-strumwell\"/>"), std::string::npos);
    const QImage icon(QString::fromStdString(
        (data / "icons" / "hicolor" / "32x32" / "mimetypes" / "application-x-strumwell.png").string()));
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(Read(Folders().config / "mimeapps.list"),
              "[Default Applications]\napplication/x-strumwell=strumwell.desktop\n\n"
              "[Added Associations]\napplication/x-strumwell=strumwell.desktop;\n");
    EXPECT_EQ(report.written.size(), 4u);
    EXPECT_EQ(tools, (std::vector<std::string>{"update-mime-database " + (data / "mime").string(),
                                               "update-desktop-database " + (data / "applications").string()}));
}

// Registering at every start writes only what changed: the second start writes nothing and runs
// no tool.
TEST_F(DesktopRegistration, SecondStartWritesNothing)
{
    {
        platform::FileRegistry first(Folders(), Recorder());
        Register(first);
        first.MirrorNow();
    }
    tools.clear();
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const auto& entry : fs::recursive_directory_iterator(home.path().toStdString()))
        fs::last_write_time(entry.path(), old);

    platform::FileRegistry second(Folders(), Recorder());
    Register(second);
    EXPECT_EQ(second.FileWrites(), 0);
    EXPECT_TRUE(second.MirrorNow().written.empty());
    EXPECT_TRUE(tools.empty());
    for (const auto& entry : fs::recursive_directory_iterator(home.path().toStdString()))
        EXPECT_EQ(fs::last_write_time(entry.path()), old) << entry.path();

    // A changed program folder rewrites the command and the desktop entry, nothing else.
    platform::FileRegistry moved(Folders(), Recorder());
    Register(moved, {"/usr/bin", "Strumwell"});
    EXPECT_EQ(moved.MirrorNow().written, std::vector<fs::path>{Folders().data / "applications" / "strumwell.desktop"});
    EXPECT_EQ(tools, std::vector<std::string>{"update-desktop-database " + (Folders().data / "applications").string()});
}

// The user's mimeapps.list, as real files in a temporary home: the program's entry joins the
// type's applications and becomes its default only where none is chosen; everything the user
// wrote stays as written, whatever its line ends.
TEST_F(DesktopRegistration, UsersChoicesInMimeappsListStay)
{
    const std::string ours = "application/x-strumwell=strumwell.desktop";
    struct Case {
        const char* name;
        std::string before;
        std::string after;  // "=" when the file must stay exactly as it was
    };
    const std::vector<Case> cases{
        {"a default of another program", "[Default Applications]\napplication/x-strumwell=other.desktop\n",
         "[Default Applications]\napplication/x-strumwell=other.desktop\n\n[Added Associations]\n" + ours + ";\n"},
        {"no default, other groups", "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\ntext/plain=editor.desktop\n",
         "[Added Associations]\ntext/plain=editor.desktop;\n" + ours + ";\n\n[Default Applications]\ntext/plain=editor.desktop\n" + ours + "\n"},
        {"already ours", "[Default Applications]\n" + ours + "\n\n[Added Associations]\n" + ours + ";\n", "="},
        {"another application beside ours", "[Added Associations]\napplication/x-strumwell=other.desktop\n",
         "[Added Associations]\napplication/x-strumwell=other.desktop;strumwell.desktop;\n\n[Default Applications]\n" + ours + "\n"},
        {"CR LF line ends", "[Default Applications]\r\ntext/plain=editor.desktop\r\n\r\n[Added Associations]\r\n",
         "[Default Applications]\r\ntext/plain=editor.desktop\r\n" + ours + "\r\n\r\n[Added Associations]\r\n" + ours + ";\r\n"},
        {"CR LF, a default of another program", "[Default Applications]\r\napplication/x-strumwell = other.desktop\r\n",
         "[Default Applications]\r\napplication/x-strumwell = other.desktop\r\n\r\n[Added Associations]\r\n" + ours + ";\r\n"},
        {"no line end at the end", "[Default Applications]\ntext/plain=editor.desktop",
         "[Default Applications]\ntext/plain=editor.desktop\n" + ours + "\n\n[Added Associations]\n" + ours + ";\n"},
        {"removed by the user", "[Removed Associations]\napplication/x-strumwell=strumwell.desktop;\n", "="},
        {"an empty default", "[Default Applications]\napplication/x-strumwell=\n[Added Associations]\n" + ours + ";\n",
         "[Default Applications]\n" + ours + "\n[Added Associations]\n" + ours + ";\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Folders().config);
        fs::create_directories(Folders().config);
        const fs::path list = Folders().config / "mimeapps.list";
        WriteBytes(list.string(), c.before);
        const ino_t inode = Inode(list);
        platform::FileRegistry registry(Folders(), Recorder());
        Register(registry);
        registry.MirrorNow();
        EXPECT_EQ(Read(list), c.after == "=" ? c.before : c.after);
        if (c.after == "=") {
            EXPECT_EQ(Inode(list), inode) << "the file was written again";
        }
        // A second start finds nothing to add.
        platform::FileRegistry again(Folders(), Recorder());
        Register(again);
        EXPECT_TRUE(again.MirrorNow().written.empty());
    }
}

// Folders the desktop reads beside the home's, all in the temporary home: two system config
// folders, two system data folders, a GNOME session.
platform::XdgFolders WithSystemFolders(platform::XdgFolders folders, const fs::path& home)
{
    folders.configDirs = {home / "etc1", home / "etc2"};
    folders.dataDirs = {home / "share1", home / "share2"};
    folders.desktops = {"gnome"};
    return folders;
}

// A default named in any list the desktop reads (in the order it reads them) stays the default:
// the program's entry only joins the type's applications. Another desktop's list does not count.
TEST_F(DesktopRegistration, DefaultsTheDesktopReadsAnywhereStay)
{
    const std::string ours = "application/x-strumwell=strumwell.desktop";
    const std::string other = "[Default Applications]\napplication/x-strumwell=other.desktop\n";
    const fs::path h = home.path().toStdString();
    struct Case {
        fs::path list;  // where the other default is
        bool stays;
    };
    const std::vector<Case> cases{
        {Folders().config / "gnome-mimeapps.list", true},
        {h / "etc1" / "mimeapps.list", true},
        {h / "etc2" / "gnome-mimeapps.list", true},
        {Folders().data / "applications" / "mimeapps.list", true},
        {h / "share2" / "applications" / "gnome-mimeapps.list", true},
        {h / "share1" / "applications" / "mimeapps.list", true},
        {Folders().config / "kde-mimeapps.list", false},
        {h / "share1" / "mimeapps.list", false},  // not a place the desktop reads
    };
    const platform::XdgFolders folders = WithSystemFolders(Folders(), h);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        FreshHome({{c.list, other}});
        platform::FileRegistry registry(folders, Recorder());
        Register(registry);
        registry.MirrorNow();
        EXPECT_EQ(Read(folders.config / "mimeapps.list"),
                  c.stays ? "[Added Associations]\n" + ours + ";\n"
                          : "[Default Applications]\n" + ours + "\n\n[Added Associations]\n" + ours + ";\n");
        EXPECT_EQ(Read(c.list), other);
    }
}

// Where the program's installed launcher opens songs (the first one of that name in the data
// folders), the program writes no entry of its own and leaves mimeapps.list alone.
TEST_F(DesktopRegistration, AnInstalledLauncherKeepsTheSongs)
{
    const std::string launcher = "installed-strumwell.desktop";
    const std::string opensSongs = "[Desktop Entry]\nType=Application\nName=Strumwell\nExec=Strumwell %f\n"
                                   "MimeType=text/plain;application/x-strumwell;\n";
    const fs::path h = home.path().toStdString();
    struct Case {
        const char* name;
        Files files;  // launchers, in the data folders
        bool leftToIt;
    };
    const std::vector<Case> cases{
        {"system-wide", {{h / "share2" / "applications" / launcher, opensSongs}}, true},
        {"in the home", {{Folders().data / "applications" / launcher, opensSongs}}, true},
        {"without the song type", {{h / "share1" / "applications" / launcher, "[Desktop Entry]\nMimeType=text/plain;\n"}}, false},
        {"deleted in the home", {{Folders().data / "applications" / launcher, "[Desktop Entry]\nHidden=true\n"},
                                 {h / "share1" / "applications" / launcher, opensSongs}}, false},
        {"none", {}, false},
    };
    const platform::XdgFolders folders = WithSystemFolders(Folders(), h);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome(c.files);
        platform::FileRegistry registry(folders, Recorder(), launcher);
        Register(registry);
        registry.MirrorNow();
        EXPECT_NE(fs::exists(folders.data / "applications" / "strumwell.desktop"), c.leftToIt);
        EXPECT_NE(fs::exists(folders.config / "mimeapps.list"), c.leftToIt);
        EXPECT_TRUE(fs::exists(folders.data / "mime" / "packages" / "strumwell.xml"));
    }
}

// A file the user made read-only stays as it is, also where its folder would let it be
// replaced (and for root, whom the mode does not stop); the other files are still written.
TEST_F(DesktopRegistration, ReadOnlyFilesAreLeftAlone)
{
    fs::create_directories(Folders().config);
    const fs::path list = Folders().config / "mimeapps.list";
    const std::string before = "[Default Applications]\ntext/plain=editor.desktop\n";
    WriteBytes(list.string(), before);
    ASSERT_EQ(::chmod(list.c_str(), 0444), 0);
    platform::FileRegistry registry(Folders(), Recorder());
    Register(registry);
    const auto report = registry.MirrorNow();
    EXPECT_EQ(Read(list), before);
    EXPECT_EQ(fs::status(list).permissions(), fs::perms(0444));
    EXPECT_TRUE(fs::exists(Folders().data / "applications" / "strumwell.desktop"));
    EXPECT_EQ(std::count(report.written.begin(), report.written.end(), list), 0);
}

// Where the desktop entry cannot be written, mimeapps.list names none: it stays as it is, or is
// not made at all. The data folder is a file, or a folder (or its applications folder) the user
// may not write: as root, who may write anything, the program runs as nobody for that.
TEST_F(DesktopRegistration, UnwritableDataFolderNamesNoEntry)
{
    const std::string before = "[Default Applications]\ntext/plain=editor.desktop\n";
    const fs::path applications = Folders().data / "applications";
    struct Case {
        const char* name;
        std::function<void()> make;
        fs::path locked;  // a folder made read-only, or nothing
    };
    const std::vector<Case> cases{
        {"a file where the data folder should be", [&] { WriteBytes(Folders().data.string(), "a file, not a folder"); }, {}},
        {"a data folder the user may not write", [&] { fs::create_directories(Folders().data); }, Folders().data},
        {"an applications folder the user may not write", [&] { fs::create_directories(applications); }, applications},
    };
    ASSERT_TRUE(WithoutRights::Possible());
    fs::permissions(home.path().toStdString(), fs::perms(0755));
    for (const Case& c : cases) {
        for (const bool listThere : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (listThere ? ", a list there" : ", no list"));
            fs::remove_all(Folders().config);
            fs::remove_all(Folders().data);
            fs::create_directories(Folders().config);
            c.make();
            const fs::path list = Folders().config / "mimeapps.list";
            if (listThere) WriteBytes(list.string(), before);
            WithoutRights::Give(Folders().config);
            if (fs::exists(Folders().data)) WithoutRights::Give(Folders().data);
            if (!c.locked.empty()) fs::permissions(c.locked, fs::perms(0555));
            std::vector<fs::path> written;
            {
                WithoutRights user;
                platform::FileRegistry registry(Folders(), Recorder());
                Register(registry);
                written = registry.MirrorNow().written;
            }
            EXPECT_EQ(std::count(written.begin(), written.end(), list), 0);
            EXPECT_FALSE(fs::exists(applications / "strumwell.desktop"));
            EXPECT_EQ(fs::exists(list), listThere);
            if (listThere) {
                EXPECT_EQ(Read(list), before);
            }
            if (!c.locked.empty()) fs::permissions(c.locked, fs::perms(0755));
        }
    }
}

// The mirror waits for the event loop, so registering adds nothing to the start-up itself.
TEST_F(DesktopRegistration, MirrorRunsOnceTheEventLoopRuns)
{
    platform::FileRegistry registry(Folders(), Recorder());
    Register(registry);
    const fs::path entry = Folders().data / "applications" / "strumwell.desktop";
    EXPECT_FALSE(fs::exists(entry));
    QCoreApplication::processEvents();
    EXPECT_TRUE(fs::exists(entry));
}

TEST_F(DesktopRegistration, UnwritableConfigFolderWritesNothing)
{
    WriteBytes((fs::path(home.path().toStdString()) / "config").string(), "a file, not a folder");
    {
        platform::FileRegistry registry(Folders(), Recorder());
        Register(registry);
        EXPECT_TRUE(registry.Tree().Keys().empty());
    }
    EXPECT_FALSE(fs::exists(Folders().data));
    EXPECT_TRUE(tools.empty());
}

TEST_F(DesktopRegistration, DamagedRegistryFileIsRebuilt)
{
    fs::create_directories(Folders().config / "strumwell");
    WriteBytes((Folders().config / "strumwell" / "registry").string(), "\x01garbage\n[.swl\n@=x:\"\n[Keep]\n@=1:\"kept\\x00\"\n");
    platform::FileRegistry registry(Folders(), Recorder());
    Register(registry);
    const std::string text = Read(registry.File());
    EXPECT_EQ(text.find("garbage"), std::string::npos);
    EXPECT_NE(text.find("[Keep]\n@=1:\"kept\\x00\"\n[.swl]\n@=1:\"Strumwell\\x00\"\n"), std::string::npos) << text;
}

TEST_F(DesktopRegistration, FoldersFollowTheEnvironment)
{
    const std::vector<const char*> names{"XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME", "XDG_CONFIG_DIRS",
                                         "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"};
    std::map<std::string, QByteArray> saved;
    for (const char* name : names) saved[name] = qgetenv(name);
    qputenv("XDG_CONFIG_HOME", "/x/config");
    qputenv("XDG_DATA_HOME", "/x/data");
    qputenv("XDG_CONFIG_DIRS", "/etc/a:relative:/etc/b");
    qputenv("XDG_DATA_DIRS", "/share/a");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    platform::XdgFolders folders = platform::XdgFolders::FromEnvironment();
    EXPECT_EQ(folders.config, fs::path("/x/config"));
    EXPECT_EQ(folders.data, fs::path("/x/data"));
    EXPECT_EQ(folders.configDirs, (std::vector<fs::path>{"/etc/a", "/etc/b"}));
    EXPECT_EQ(folders.dataDirs, std::vector<fs::path>{"/share/a"});
    EXPECT_EQ(folders.desktops, (std::vector<std::string>{"ubuntu", "gnome"}));
    folders.configDirs.pop_back();
    folders.desktops.pop_back();
    EXPECT_EQ(folders.MimeAppsLists(),
              (std::vector<fs::path>{"/x/config/ubuntu-mimeapps.list", "/x/config/mimeapps.list",
                                     "/etc/a/ubuntu-mimeapps.list", "/etc/a/mimeapps.list",
                                     "/x/data/applications/ubuntu-mimeapps.list", "/x/data/applications/mimeapps.list",
                                     "/share/a/applications/ubuntu-mimeapps.list", "/share/a/applications/mimeapps.list"}));

    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    qputenv("HOME", "/home/someone");
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"}) qunsetenv(name);
    folders = platform::XdgFolders::FromEnvironment();
    EXPECT_EQ(folders.config, fs::path("/home/someone/.config"));
    EXPECT_EQ(folders.data, fs::path("/home/someone/.local/share"));
    EXPECT_EQ(folders.configDirs, std::vector<fs::path>{"/etc/xdg"});
    EXPECT_EQ(folders.dataDirs, (std::vector<fs::path>{"/usr/local/share", "/usr/share"}));
    EXPECT_TRUE(folders.desktops.empty());
    for (const char* name : names) {
        if (saved[name].isNull()) qunsetenv(name);
        else qputenv(name, saved[name]);
    }
}

// With the desktop's own tools: a file manager asking GIO finds the song type and the program.
TEST_F(DesktopRegistration, DesktopKnowsTheSongType)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        GTEST_SKIP() << "gio or update-mime-database not installed";
    platform::FileRegistry registry(Folders(), RunningTools());
    Register(registry, platform::RunningProgram());  // the desktop checks that the program exists
    registry.MirrorNow();
    const std::string song = (fs::path(home.path().toStdString()) / "a song.swl").string();
    fs::copy_file(Fixture("three_page_v25.swl"), song);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Folders().data.string()));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(Folders().data.string()) + QStringLiteral(":/usr/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(Folders().config.string()));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QString::fromStdString(Folders().config.string()));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(gio, args);
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput()).toStdString();
    };
    EXPECT_NE(run({QStringLiteral("info"), QStringLiteral("-a"), QStringLiteral("standard::content-type"),
                   QString::fromStdString(song)}).find("application/x-strumwell"), std::string::npos);
    EXPECT_NE(run({QStringLiteral("mime"), QStringLiteral("application/x-strumwell")}).find("strumwell.desktop"),
              std::string::npos);
}

// The desktop's own tools, asked in a temporary home with system folders of its own, name the
// same default before and after a start: one the system's list names, or the installed launcher
// (which the tools find in its folder's cache), which then is the only entry of the program.
TEST_F(DesktopRegistration, DesktopToolsNameTheSameDefaultAfterAStart)
{
    QStringList desktopTools;
    for (const char* name : {"gio", "xdg-mime", "update-desktop-database"}) {
        desktopTools << QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (desktopTools.back().isEmpty()) GTEST_SKIP() << name << " not installed";
    }
    const fs::path h = home.path().toStdString();
    const std::string launcher = "example.fretlane.Strumwell.desktop";
    auto entry = [](const std::string& name) {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/bin/true %f\nMimeType=application/x-strumwell;\n";
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), QString::fromStdString(h.string()));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(Folders().config.string()));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Folders().data.string()));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QString::fromStdString((h / "etc").string()));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString((h / "share").string()));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    auto run = [&](const QString& tool, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(tool, args);
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput()).toStdString();
    };
    const QString type = QStringLiteral("application/x-strumwell");
    struct Case {
        const char* name;
        Files files;
        std::string byDefault;
        bool entryOfOurOwn;
    };
    const std::vector<Case> cases{
        {"the system's default",
         {{h / "share" / "applications" / "other.desktop", entry("Other")},
          {h / "etc" / "mimeapps.list", "[Default Applications]\napplication/x-strumwell=other.desktop\n"}},
         "other.desktop", true},
        {"the installed launcher", {{h / "share" / "applications" / launcher, entry("Strumwell")}}, launcher, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome(c.files);
        run(desktopTools[2], {QString::fromStdString((h / "share" / "applications").string())});
        EXPECT_EQ(run(desktopTools[1], {QStringLiteral("query"), QStringLiteral("default"), type}), c.byDefault + "\n");

        {
            platform::XdgFolders folders = Folders();
            folders.configDirs = {h / "etc"};
            folders.dataDirs = {h / "share"};
            platform::FileRegistry registry(folders, RunningTools(), launcher);
            Register(registry, platform::RunningProgram());  // the desktop checks that the program exists
            registry.MirrorNow();
        }
        EXPECT_EQ(run(desktopTools[1], {QStringLiteral("query"), QStringLiteral("default"), type}), c.byDefault + "\n");
        const std::string apps = run(desktopTools[0], {QStringLiteral("mime"), type});
        EXPECT_NE(apps.find(": " + c.byDefault + "\n"), std::string::npos) << apps;
        EXPECT_EQ(apps.find("\tstrumwell.desktop\n") != std::string::npos, c.entryOfOurOwn) << apps;
    }
}

// The real window registers at start-up through the file registry, whose mirror writes into the
// desktop's files in a temporary home; these tests look at what happens to files the user keeps
// there already.
class RegistrationAtStart : public SongFileTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        SongFileTest::ConfigureServices(s);
        if (files) s.registry = files.get();
    }

    fs::path Home() const { return fs::path(temp.path().toStdString()) / "home"; }
    platform::XdgFolders Folders() const { return {Home() / "config", Home() / "data"}; }
    fs::path MimeApps() const { return Folders().config / "mimeapps.list"; }
    fs::path Entry() const { return Folders().data / "applications" / "strumwell.desktop"; }

    // Starts the program over the file registry and lets its mirror run; then ends both.
    void StartAndMirror()
    {
        files = std::make_unique<platform::FileRegistry>(Folders(), [](const std::string&, const std::vector<std::string>&) {});
        Start("");
        files->MirrorNow();
        window.reset();
        files.reset();
    }

    // What a path is, without following it: a file's bytes and mode, a link's target, or its kind.
    static std::string What(const fs::path& path)
    {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return "nothing";
        const std::string mode = " mode " + std::to_string(st.st_mode & 07777) + " owner " + std::to_string(st.st_uid);
        if (S_ISLNK(st.st_mode)) return "link to " + fs::read_symlink(path).string();
        if (S_ISREG(st.st_mode)) return "file " + ReadBytes(path.string()) + mode;
        if (S_ISDIR(st.st_mode)) return "folder" + mode;
        if (S_ISFIFO(st.st_mode)) return "pipe" + mode;
        return "other";
    }
    static std::vector<std::string> Names(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<platform::FileRegistry> files;
};

const std::string kOtherDefaults = "[Default Applications]\ntext/plain=editor.desktop\n";

// Files kept elsewhere and linked into the home (a dotfiles folder) are written where the links
// lead, each replaced whole in its own folder with its permissions; the links stay links and no
// folder keeps anything of the writing.
TEST_F(RegistrationAtStart, LinkedFilesAreWrittenWhereTheyLead)
{
    const fs::path dotfiles = Home() / "dotfiles";
    fs::create_directories(dotfiles);
    fs::create_directories(Folders().config / "strumwell");
    fs::create_directories(Folders().data / "applications");
    WriteBytes((dotfiles / "mimeapps.list").string(), kOtherDefaults);
    ASSERT_EQ(::chmod((dotfiles / "mimeapps.list").c_str(), 0600), 0);
    WriteBytes((dotfiles / "strumwell.desktop").string(), "old entry");
    WriteBytes((dotfiles / "registry").string(), "");
    fs::create_symlink("../dotfiles/mimeapps.list", MimeApps());
    fs::create_symlink(dotfiles / "strumwell.desktop", Entry());
    fs::create_symlink("../../dotfiles/registry", Folders().config / "strumwell" / "registry");

    StartAndMirror();
    EXPECT_EQ(What(MimeApps()), "link to ../dotfiles/mimeapps.list");
    EXPECT_EQ(What(Entry()), "link to " + (dotfiles / "strumwell.desktop").string());
    EXPECT_EQ(What(Folders().config / "strumwell" / "registry"), "link to ../../dotfiles/registry");
    EXPECT_EQ(ReadBytes((dotfiles / "mimeapps.list").string()),
              kOtherDefaults + "application/x-strumwell=strumwell.desktop\n\n"
                               "[Added Associations]\napplication/x-strumwell=strumwell.desktop;\n");
    EXPECT_EQ(fs::status(dotfiles / "mimeapps.list").permissions(), fs::perms(0600));
    EXPECT_EQ(ReadBytes((dotfiles / "strumwell.desktop").string()).rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(ReadBytes((dotfiles / "registry").string()).find("[.swl]\n"), std::string::npos);
    EXPECT_EQ(Names(dotfiles), (std::vector<std::string>{"mimeapps.list", "registry", "strumwell.desktop"}));
    EXPECT_EQ(Names(Folders().config), (std::vector<std::string>{"mimeapps.list", "strumwell"}));
    EXPECT_EQ(Names(Folders().data / "applications"), std::vector<std::string>{"strumwell.desktop"});
    EXPECT_TRUE(messages.texts.empty());
}

// A mimeapps.list that cannot be read whole is never replaced: it stays exactly as it is, that
// entry alone is skipped and the rest of the desktop files are written; start-up says nothing.
TEST_F(RegistrationAtStart, DefaultApplicationsThatCannotBeReadStay)
{
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> make;
    };
    const std::vector<Case> cases{
        {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"a link to nothing", [](const fs::path& p) { fs::create_symlink("dotfiles/mimeapps.list", p); }},
        {"a loop of links", [](const fs::path& p) { fs::create_symlink("mimeapps.list", p); }},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Home());
        fs::create_directories(Folders().config);
        c.make(MimeApps());
        const std::string before = What(MimeApps());
        StartAndMirror();
        EXPECT_EQ(What(MimeApps()), before);
        EXPECT_TRUE(fs::exists(Entry()));
        EXPECT_EQ(Names(Folders().config), (std::vector<std::string>{"mimeapps.list", "strumwell"}));
    }
    EXPECT_TRUE(messages.texts.empty());
}

// Files the user may not read (root's, in the user's own folders) are left as they are: the
// default applications stay while the rest is written; a registry file that cannot be read keeps
// its keys and nothing is registered. CI runs as root, who reads everything, so the program runs
// as nobody here.
TEST_F(RegistrationAtStart, FilesTheUserMayNotReadStay)
{
    if (!WithoutRights::Possible()) GTEST_SKIP() << "no user without rights to run as";
    fs::permissions(temp.path().toStdString(), fs::perms(0755));
    const fs::path registryFile = Folders().config / "strumwell" / "registry";
    struct Case {
        fs::path unreadable;
        std::string content;
        bool entryWritten;
        std::vector<std::string> beside;  // what its folder holds after
    };
    const std::vector<Case> cases{
        {MimeApps(), kOtherDefaults, true, {"mimeapps.list", "strumwell"}},
        {registryFile, "[Keep]\n@=1:\"kept\\x00\"\n", false, {"registry"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unreadable);
        fs::remove_all(Home());
        fs::create_directories(registryFile.parent_path());
        WithoutRights::Give(Home());
        WriteBytes(c.unreadable.string(), c.content);
        ASSERT_EQ(::chmod(c.unreadable.c_str(), 0000), 0);
        const std::string before = What(c.unreadable);
        {
            WithoutRights user;
            ASSERT_NE(::faccessat(AT_FDCWD, c.unreadable.c_str(), R_OK, AT_EACCESS), 0) << "the file is readable after all";
            StartAndMirror();
        }
        EXPECT_EQ(What(c.unreadable), before);
        EXPECT_EQ(fs::exists(Entry()), c.entryWritten);
        EXPECT_EQ(Names(c.unreadable.parent_path()), c.beside);
        ::chmod(c.unreadable.c_str(), 0600);
    }
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace strumwell::testing
