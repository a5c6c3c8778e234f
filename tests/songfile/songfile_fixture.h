#pragma once
// The real window over recording doubles of the song files' services: scripted dialogs, a message
// box that remembers, an instant Sleep, a recording registry and shell.

#include "support/window_fixture.h"

#include <QTemporaryDir>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/shell/shell.h"

namespace strumwell::testing {

inline std::string Fixture(const std::string& name) { return std::string(STRUMWELL_FIXTURES) + "/" + name; }

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The lines of a song file, without their CR LF.
inline std::vector<std::string> FileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        lines.push_back(bytes.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

class SongFileTest : public WindowTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        s.saveDialog = &saveDialog;
        s.openDialog = &openDialog;
        s.messageBox = &messages;
        s.registry = &registry;
        s.shell = &shell;
        s.kernel = &kernel;
    }

    void OpenByMenu(const std::string& path)
    {
        openDialog.answers.push_back(path);
        w().menu.Open.Click();
    }
    void SaveByMenu(const std::string& path)
    {
        saveDialog.answers.push_back(path);
        w().menu.Save.Click();
    }
    std::string TempPath(const std::string& name) const { return temp.filePath(QString::fromStdString(name)).toStdString(); }
    // A copy of `bytes` as a song file in the temporary folder.
    std::string SongWith(const std::string& bytes, const std::string& name = "song.swl") const
    {
        const std::string path = TempPath(name);
        WriteBytes(path, bytes);
        return path;
    }

    // Tokens of a page as the song holds it: page 1 on show, the others in their stores.
    std::vector<std::string> VisibleTokens()
    {
        std::vector<std::string> out;
        for (int k = 1; k <= 32; ++k) out.push_back(w().sheet.imgRest[k].ToolTipText());
        return out;
    }
    std::vector<std::string> StoreTokens(int page)
    {
        std::vector<std::string> out;
        for (int k = 1; k <= 32; ++k) out.push_back(w().stores.imgPage[static_cast<std::size_t>(page)][k].ToolTipText());
        return out;
    }
    static std::vector<std::string> EmptyPageTokens()
    {
        std::vector<std::string> out;
        for (int k = 1; k <= 32; ++k) out.push_back(k % 2 == 1 ? "Rest 1" : "");
        return out;
    }
    // Tokens of page p (1..3) of a song file: lines 11.., 51.., 91...
    static std::vector<std::string> FileTokens(const std::string& path, int page)
    {
        const std::vector<std::string> lines = FileLines(ReadBytes(path));
        const int start = page == 1 ? 10 : page == 2 ? 50 : 90;
        return {lines.begin() + start, lines.begin() + start + 32};
    }

    // Everything of the song on show and of the reader's widgets, by name, so that a test can
    // see that nothing changed.
    std::map<std::string, std::string> SongState()
    {
        std::map<std::string, std::string> s;
        auto& f = w();
        auto pic = [this](const forms::PictureBox& p) { return SymbolName(p.GetPicture()); };
        s["title"] = f.sheet.txtTitle.Text();
        s["author"] = f.sheet.txtAuthor.Text();
        s["lyrics"] = f.sheet.txtLyrics.Text();
        for (int p = 1; p <= 3; ++p) {
            const auto i = static_cast<std::size_t>(p);
            s["lyrics page " + std::to_string(p)] = f.stores.txtLyricsPage[i].Text();
            for (int k = 1; k <= 32; ++k) {
                const std::string at = " " + std::to_string(p) + "." + std::to_string(k);
                s["store cell" + at] = f.stores.imgPage[i][k].ToolTipText() + "/" + pic(f.stores.imgPage[i][k]);
                s["store rhythm" + at] = pic(f.stores.imgRhythmPage[i][k]);
                s["store chord" + at] = pic(f.stores.imgChordPage[i][k]);
            }
        }
        for (int k = 1; k <= 32; ++k) {
            const std::string at = " " + std::to_string(k);
            s["cell" + at] = f.sheet.imgRest[k].ToolTipText() + "/" + pic(f.sheet.imgRest[k]);
            s["rhythm" + at] = pic(f.sheet.imgNoteRhythm[k]);
            s["chord" + at] = pic(f.sheet.imgChordName[k]);
        }
        for (int e = 0; e <= 96; ++e) s["Text1 " + std::to_string(e)] = f.songFiles.Text1[e].Text();
        s["pages"] = f.tabs.lblTotalPages.Caption();
        s["current page"] = f.tabs.lblCurrentPage.Caption();
        s["tabs shown"] = std::to_string(f.tabs.Picture3.Visible());
        s["end barline"] = pic(f.sheet.imgBarline[3]);
        s["NoteLength"] = std::to_string(f.NoteLength);
        s["PlayPosition"] = std::to_string(f.PlayPosition);
        s["speed"] = std::to_string(f.tempo.lblSpeed.Height()) + "/" + std::to_string(f.tempo.lblSpeed.Top());
        s["start tempo"] = f.playState.lblNoteLengthStart.Caption();
        s["tag box"] = f.songFiles.txtFileVersionNumber.Text();
        s["panel"] = std::to_string(f.songFiles.pctUpdate.Visible()) + "/" + std::to_string(f.songFiles.pctUpdate.Height());
        return s;
    }

    // Which reference picture a slot shows, by name, so that two windows can be compared.
    std::string SymbolName(const forms::Picture& picture)
    {
        if (picture.IsEmpty()) return "empty";
        const auto& l = w().symbols;
        const std::vector<std::pair<const forms::PictureBox*, std::string>> named{
            {&l.pctBlank, "blank"}, {&l.pictureCrotchetRest, "crotchet rest"}, {&l.pctQuaverRest, "quaver rest"},
            {&l.pctCrotchetBlue, "crotchet"}, {&l.pctQuaver1Blue, "quaver 1"}, {&l.pctQuaver2Blue, "quaver 2"},
            {&l.pctQuaverTailBlue, "quaver tail"}, {&l.pctBarlineRepeat, "repeat"},
            {&l.pctBarlineContinue, "continue"}};
        for (const auto& [box, name] : named)
            if (box->GetPicture() == picture) return name;
        for (std::size_t i = 0; i < l.pctChord.size(); ++i) {
            if (l.pctChord[i].GetPicture() == picture) return "chord " + std::to_string(i);
            if (l.pctChordName[i].GetPicture() == picture) return "chord name " + std::to_string(i);
        }
        for (int n = 1; n <= 6; ++n)
            for (int f = 0; f <= 12; ++f)
                if (l.pctString[static_cast<std::size_t>(n)][f].GetPicture() == picture)
                    return "note " + std::to_string(n) + "/" + std::to_string(f);
        return "other";
    }

    // The names whose values differ, for a readable failure.
    static std::vector<std::string> Differences(const std::map<std::string, std::string>& a,
                                                const std::map<std::string, std::string>& b)
    {
        std::vector<std::string> out;
        for (const auto& [name, value] : a) {
            const auto it = b.find(name);
            if (it == b.end() || it->second != value)
                out.push_back(name + ": " + value + " / " + (it == b.end() ? "-" : it->second));
        }
        return out;
    }

    QTemporaryDir temp;
    platform::ScriptedDialog saveDialog, openDialog;
    platform::RecordingMessageBox messages;
    platform::RecordingRegistry registry;
    platform::RecordingShell shell;
    platform::InstantKernel kernel;
};

inline const std::vector<std::string> kFixturePage1{
    "A", "", "Rest 1", "", "Am", "", "Am", "", "E7", "D", "Rest 1/2", "", "C", "", "G", "",
    "F# 1st String", "", "Top E 6th String", "", "Rest 1", "", "Rest 1", "",
    "Dm7", "", "Bm", "", "G7", "C7", "Em", ""};

}  // namespace strumwell::testing
