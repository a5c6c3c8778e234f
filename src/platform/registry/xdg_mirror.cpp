#include "platform/registry/xdg_mirror.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/drive/drive_mapping.h"
#include "platform/files/read_file.h"
#include "platform/files/replacing_file.h"
#include "platform/files/write_target.h"
#include "platform/kernel/code_page.h"
#include "platform/registry/registry.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path FolderFromEnvironment(const char* variable, const char* fallbackUnderHome)
{
    const char* value = std::getenv(variable);
    if (value && *value && fs::path(value).is_absolute()) return fs::path(value);
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / fallbackUnderHome;
}

// A list of folders, ":" between them; relative ones are ignored, as the desktop ignores them.
std::vector<fs::path> FoldersFromEnvironment(const char* variable, const std::string& fallback)
{
    const char* value = std::getenv(variable);
    std::vector<fs::path> folders;
    std::istringstream in(value && *value ? value : fallback);
    for (std::string folder; std::getline(in, folder, ':');)
        if (fs::path(folder).is_absolute()) folders.emplace_back(folder);
    return folders;
}

std::vector<std::string> DesktopsFromEnvironment()
{
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::vector<std::string> desktops;
    std::istringstream in(value ? value : "");
    for (std::string desktop; std::getline(in, desktop, ':');) {
        for (char& c : desktop) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!desktop.empty() && desktop.find('/') == std::string::npos) desktops.push_back(desktop);
    }
    return desktops;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment()
{
    return {FolderFromEnvironment("XDG_CONFIG_HOME", ".config"), FolderFromEnvironment("XDG_DATA_HOME", ".local/share"),
            FoldersFromEnvironment("XDG_CONFIG_DIRS", "/etc/xdg"),
            FoldersFromEnvironment("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), DesktopsFromEnvironment()};
}

std::vector<fs::path> XdgFolders::MimeAppsLists() const
{
    std::vector<fs::path> folders{config};
    folders.insert(folders.end(), configDirs.begin(), configDirs.end());
    folders.push_back(data / "applications");
    for (const fs::path& dir : dataDirs) folders.push_back(dir / "applications");
    std::vector<fs::path> lists;
    for (const fs::path& folder : folders) {
        for (const std::string& desktop : desktops) lists.push_back(folder / (desktop + "-mimeapps.list"));
        lists.push_back(folder / "mimeapps.list");
    }
    return lists;
}

void StartToolDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    const QString found = QStandardPaths::findExecutable(QString::fromStdString(program));
    if (found.isEmpty()) return;
    QStringList args;
    for (const std::string& a : arguments) args << QString::fromStdString(a);
    QProcess::startDetached(found, args);
}

namespace registry {
namespace {

// The text of a key's default value, NUL and code page undone; "" when it has none.
std::string DefaultText(const Tree& tree, const std::string& path)
{
    const Key* key = tree.Find(path);
    if (!key) return {};
    for (const Value& v : key->values) {
        if (!v.name.empty() || v.type != REG_SZ) continue;
        std::string data = v.data;
        if (const auto nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
        return FromAnsiCodePage(data);
    }
    return {};
}

std::string Sanitised(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += std::isalnum(u) || c == '+' || c == '.' || c == '_' ? static_cast<char>(std::tolower(u)) : '-';
    }
    return out.empty() ? std::string("unnamed") : out;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A desktop entry's string value: backslashes doubled, line breaks escaped.
std::string EntryValue(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// One argument of an Exec line, always quoted, with the characters that quoting keeps escaped
// and "%" doubled for the field-code rule.
std::string ExecArgument(const std::string& arg)
{
    std::string out = "\"";
    for (const char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

std::string NativePath(const std::string& path)
{
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        return ResolveWindowsPath(path).string();
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string Trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The icon file of a DefaultIcon value: quotes and an icon index (",0") dropped.
fs::path IconFile(std::string value)
{
    value = Trimmed(value);
    if (const auto comma = value.rfind(','); comma != std::string::npos &&
        value.find_first_not_of("-0123456789", comma + 1) == std::string::npos && comma + 1 < value.size())
        value.resize(comma);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value.empty() ? fs::path() : fs::path(NativePath(value));
}

// Every image of the icon file as PNG bytes, by size.
std::map<std::string, std::string> IconImages(const std::string& iconValue)
{
    std::map<std::string, std::string> out;
    const fs::path file = IconFile(iconValue);
    if (file.empty()) return out;
    QImageReader reader(QString::fromStdString(file.string()));
    for (int i = 0; i < 64; ++i) {
        const QImage image = reader.read();
        if (image.isNull()) break;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.save(&buffer, "PNG")) {
            const std::string size = std::to_string(image.width()) + "x" + std::to_string(image.height());
            out.emplace(size, std::string(png.constData(), static_cast<std::size_t>(png.size())));
        }
        if (!reader.jumpToNextImage()) break;
    }
    return out;
}

// A mimeapps.list as the user keeps it: every line stays exactly as it is, whatever its line
// end; groups and keys are recognised with the blanks and CR around them ignored, in every group
// of a name (a file may hold one twice). Lines added go at the end of the group's first
// occurrence, or in a new group at the end, with the line end the file already uses.
class MimeAppsList {
public:
    explicit MimeAppsList(const std::string& text)
    {
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find('\n', start);
            lines_.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        const std::size_t firstEnd = text.find('\n');
        if (firstEnd != std::string::npos && firstEnd > 0 && text[firstEnd - 1] == '\r') newline_ = "\r\n";
    }

    bool HasValue(const std::string& group, const std::string& key) const
    {
        bool found = false;
        ForKey(group, key, [&](std::size_t, const std::string& value) { found = found || !value.empty(); });
        return found;
    }
    bool Lists(const std::string& group, const std::string& key, const std::string& item) const
    {
        bool found = false;
        ForKey(group, key, [&](std::size_t, const std::string& value) {
            for (const std::string& listed : Items(value)) found = found || listed == item;
        });
        return found;
    }
    // Gives a key without a value (or a missing key) the value.
    void SetValue(const std::string& group, const std::string& key, const std::string& value)
    {
        std::optional<std::size_t> empty;
        ForKey(group, key, [&](std::size_t line, const std::string&) { empty = empty ? empty : line; });
        if (empty)
            lines_[*empty] = key + "=" + value + newline_;
        else
            AddLine(group, key + "=" + value);
    }
    void AddToList(const std::string& group, const std::string& key, const std::string& item)
    {
        std::optional<std::size_t> at;
        ForKey(group, key, [&](std::size_t line, const std::string&) { at = at ? at : line; });
        if (!at) return AddLine(group, key + "=" + item + ";");
        std::string& line = lines_[*at];
        const std::size_t end = line.find_last_not_of("\r\n \t");
        std::string head = line.substr(0, end + 1);
        if (head.back() != ';' && head.back() != '=') head += ';';
        line = head + item + ";" + newline_;
    }
    std::string Text() const
    {
        std::string out;
        for (const std::string& line : lines_) out += line;
        return out;
    }

private:
    static std::string Trim(const std::string& text)
    {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return {};
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    }
    static std::vector<std::string> Items(const std::string& value)
    {
        std::vector<std::string> items;
        std::istringstream in(value);
        for (std::string item; std::getline(in, item, ';');)
            if (!Trim(item).empty()) items.push_back(Trim(item));
        return items;
    }
    static bool IsGroup(const std::string& trimmed) { return !trimmed.empty() && trimmed.front() == '['; }

    // Runs `each` with the line index and the value of every line of `key` in a group `group`.
    void ForKey(const std::string& group, const std::string& key,
                const std::function<void(std::size_t, const std::string&)>& each) const
    {
        bool inGroup = false;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::string line = Trim(lines_[i]);
            if (IsGroup(line)) {
                inGroup = line == "[" + group + "]";
                continue;
            }
            const std::size_t equals = line.find('=');
            if (inGroup && equals != std::string::npos && Trim(line.substr(0, equals)) == key)
                each(i, Trim(line.substr(equals + 1)));
        }
    }

    void AddLine(const std::string& group, const std::string& line)
    {
        std::optional<std::size_t> after;  // the group's last line that is not blank
        bool inGroup = false, seen = false;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::string trimmed = Trim(lines_[i]);
            if (IsGroup(trimmed)) {
                if (inGroup) seen = true;
                inGroup = !seen && trimmed == "[" + group + "]";
            }
            if (inGroup && !trimmed.empty()) after = i;
        }
        if (!after) {
            EndLastLine();
            if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back(newline_);
            lines_.push_back("[" + group + "]" + newline_);
            lines_.push_back(line + newline_);
            return;
        }
        if (lines_[*after].back() != '\n') lines_[*after] += newline_;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*after + 1), line + newline_);
    }
    void EndLastLine()
    {
        if (!lines_.empty() && lines_.back().back() != '\n') lines_.back() += newline_;
    }

    std::vector<std::string> lines_;  // each with its own line end, the last perhaps without
    std::string newline_ = "\n";
};

// The whole text of a plain file (a link's target counts), or nothing when any of it cannot be
// read or it is no plain file.
std::optional<std::string> ReadWhole(const fs::path& path) { return files::ReadWholeFile(path).bytes; }

// The mirror's files are replaced by the one atomic writer, new files with their folders. A file
// the user made read-only stays as it is, and so does a file in a folder the user may not write:
// it is not written over in place.
bool Replace(const fs::path& path, const std::string& content)
{
    return files::ReplaceWhole(path, content, {.makeFolders = true, .inPlaceInLockedFolder = false}).written;
}

}  // namespace

std::vector<FileType> FileTypes(const Tree& tree)
{
    std::vector<FileType> out;
    for (const Key& key : tree.Keys()) {
        if (key.path.size() < 2 || key.path.front() != '.' || key.path.find('\\') != std::string::npos)
            continue;
        FileType type;
        type.extension = FromAnsiCodePage(key.path.substr(1));
        const std::string typeKey = DefaultText(tree, key.path);
        if (typeKey.empty()) continue;
        type.typeName = typeKey;
        const std::string ansiType = ToAnsiCodePage(typeKey);
        type.description = DefaultText(tree, ansiType);
        type.command = DefaultText(tree, ansiType + "\\shell\\open\\command");
        type.icon = DefaultText(tree, ansiType + "\\DefaultIcon");
        out.push_back(type);
    }
    return out;
}

std::string BaseName(const FileType& type) { return Sanitised(type.typeName); }
std::string MimeTypeName(const FileType& type) { return "application/x-" + BaseName(type); }
std::string IconName(const FileType& type) { return "application-x-" + BaseName(type); }

Command ParseCommand(const std::string& command)
{
    const std::string text = Trimmed(command);
    Command out;
    std::string program;
    if (!text.empty() && text.front() == '"') {
        const auto close = text.find('"', 1);
        program = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        out.takesFile = close != std::string::npos && text.find("%1", close) != std::string::npos;
    } else if (const auto placeholder = text.rfind("%1"); placeholder != std::string::npos) {
        program = text.substr(0, placeholder);
        if (!program.empty() && program.back() == '"') program.pop_back();
        program = Trimmed(program);
        out.takesFile = true;
    } else {
        program = text;
    }
    out.program = program.empty() ? std::string() : NativePath(program);
    return out;
}

std::string MimePackage(const FileType& type, bool withIcon)
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- Written by Strumwell from its file-type registration. -->\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + XmlEscaped(MimeTypeName(type)) + "\">\n";
    if (!type.description.empty()) xml += "    <comment>" + XmlEscaped(type.description) + "</comment>\n";
    if (withIcon) xml += "    <icon name=\"" + XmlEscaped(IconName(type)) + "\"/>\n";
    xml += "    <sub-class-of type=\"text/plain\"/>\n"
           "    <glob pattern=\"*." + XmlEscaped(type.extension) + "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
    return xml;
}

std::string DesktopEntry(const FileType& type, bool withIcon)
{
    const Command command = ParseCommand(type.command);
    if (command.program.empty()) return {};
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=" + EntryValue(type.typeName) + "\n";
    if (!type.description.empty()) entry += "Comment=" + EntryValue(type.description) + "\n";
    entry += "TryExec=" + EntryValue(command.program) + "\n";
    entry += "Exec=" + EntryValue(ExecArgument(command.program) + (command.takesFile ? " %f" : "")) + "\n";
    if (withIcon) entry += "Icon=" + EntryValue(IconName(type)) + "\n";
    entry += "MimeType=" + EntryValue(MimeTypeName(type)) + ";\n"
             "Terminal=false\n"
             "NoDisplay=true\n";
    return entry;
}

std::string WithOurAssociation(const std::string& mimeappsList, const std::string& mimeType,
                               const std::string& desktopFile, bool defaultElsewhere)
{
    MimeAppsList list(mimeappsList);
    if (list.Lists("Removed Associations", mimeType, desktopFile)) return mimeappsList;
    if (!defaultElsewhere && !list.HasValue("Default Applications", mimeType))
        list.SetValue("Default Applications", mimeType, desktopFile);
    if (!list.Lists("Added Associations", mimeType, desktopFile)) list.AddToList("Added Associations", mimeType, desktopFile);
    return list.Text();
}

bool DefaultNamedElsewhere(const XdgFolders& folders, const std::string& mimeType)
{
    const fs::path ours = folders.config / "mimeapps.list";
    for (const fs::path& path : folders.MimeAppsLists()) {
        if (path == ours) continue;
        const std::optional<std::string> text = ReadWhole(path);  // none there, or unreadable: no choice made
        if (text && MimeAppsList(*text).HasValue("Default Applications", mimeType)) return true;
    }
    return false;
}

bool InstalledEntryOpens(const XdgFolders& folders, const std::string& desktopFile, const std::string& mimeType)
{
    std::vector<fs::path> dataDirs{folders.data};
    dataDirs.insert(dataDirs.end(), folders.dataDirs.begin(), folders.dataDirs.end());
    for (const fs::path& dir : dataDirs) {
        const std::optional<std::string> text = ReadWhole(dir / "applications" / desktopFile);
        if (!text) continue;  // the first one there is the one the desktop takes
        const MimeAppsList entry(*text);
        return entry.Lists("Desktop Entry", "MimeType", mimeType) && !entry.Lists("Desktop Entry", "Hidden", "true");
    }
    return false;
}

std::optional<std::string> ReplaceableText(const fs::path& path)
{
    const files::WriteTarget target = files::FindWriteTarget(path);
    if (target.kind == files::WriteTarget::Kind::Missing) return std::string();
    if (target.kind != files::WriteTarget::Kind::Plain) return std::nullopt;
    return ReadWhole(target.path);
}

bool UpdateFile(const fs::path& path, const std::function<std::string(const std::string&)>& edit)
{
    const files::WriteTarget target = files::FindWriteTarget(path);
    std::string old;
    if (target.kind == files::WriteTarget::Kind::Plain) {
        std::optional<std::string> text = ReadWhole(target.path);
        if (!text) return false;
        old = std::move(*text);
    } else if (target.kind != files::WriteTarget::Kind::Missing) {
        return false;
    }
    const std::string content = edit(old);
    if (target.kind == files::WriteTarget::Kind::Plain && content == old) return false;
    return Replace(path, content);
}

bool WriteIfChanged(const fs::path& path, const std::string& content)
{
    return UpdateFile(path, [&](const std::string&) { return content; });
}

bool WriteFileWhole(const fs::path& path, const std::string& content) { return Replace(path, content); }

MirrorReport MirrorToDesktop(const Tree& tree, const XdgFolders& folders, const ToolRunner& runTool,
                             const std::string& installedLauncher)
{
    MirrorReport report;
    bool mimeChanged = false, entriesChanged = false;
    auto write = [&](const fs::path& path, const std::string& content) {
        const bool wrote = WriteIfChanged(path, content);
        if (wrote) report.written.push_back(path);
        return wrote;
    };
    for (const FileType& type : FileTypes(tree)) {
        const std::map<std::string, std::string> icons = IconImages(type.icon);
        for (const auto& [size, png] : icons)
            write(folders.data / "icons" / "hicolor" / size / "mimetypes" / (IconName(type) + ".png"), png);
        mimeChanged |= write(folders.data / "mime" / "packages" / (BaseName(type) + ".xml"),
                             MimePackage(type, !icons.empty()));
        const std::string entry = DesktopEntry(type, !icons.empty());
        if (entry.empty()) continue;
        const std::string mimeType = MimeTypeName(type);
        // The installed launcher opens the songs already: a second entry would only show twice.
        if (!installedLauncher.empty() && InstalledEntryOpens(folders, installedLauncher, mimeType)) continue;
        const std::string desktopFile = BaseName(type) + ".desktop";
        const fs::path entryPath = folders.data / "applications" / desktopFile;
        entriesChanged |= write(entryPath, entry);
        if (ReplaceableText(entryPath) != entry) continue;  // not written: the list names no such entry
        const fs::path mimeapps = folders.config / "mimeapps.list";
        const bool defaultElsewhere = DefaultNamedElsewhere(folders, mimeType);
        if (UpdateFile(mimeapps, [&](const std::string& list) {
                return WithOurAssociation(list, mimeType, desktopFile, defaultElsewhere);
            }))
            report.written.push_back(mimeapps);
    }
    if (mimeChanged && runTool) runTool("update-mime-database", {(folders.data / "mime").string()});
    if (entriesChanged && runTool)
        runTool("update-desktop-database", {(folders.data / "applications").string()});
    return report;
}

}  // namespace registry
}  // namespace platform
