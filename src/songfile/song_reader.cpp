// Opening a song: File > Open and the command-line open at start-up. Both read a file by the
// same rules but apply different parts of it, in their own order and with their own pauses
// (the song reaches the sheet through the renderers, started by their trigger boxes):
//
//   what                          File > Open                  command line
//   page count "spare" -> "1"     every tag                    first edition only
//   tag box, page count, title,   right after the header,      first edition: same; others:
//   author, page-1 lyrics         for every tag                no tag box or page count before
//                                                              the three-page step
//   tempo for a newer tag         not written                  speed bar, tempo caption and
//                                                              page-1 tokens written
//   "version 2.3"                 page count and NoteLength    neither; the whole read runs
//                                 from the file                twice (resetting chkOpenAuto)
//
// Unlike a plain read, the file is checked whole first (song_check.h): a file that cannot be read
// changes nothing on the sheet, and the user is told which file and which line; that includes a tag
// that names neither a layout this program reads nor a newer edition. A song of one page
// also leaves nothing of the song before it in the pages it does not fill, and the lyrics lose the
// one ":" Save writes in front of them, so saving and opening give back the same song.

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/kernel.h"
#include "songfile/song_check.h"
#include "songfile/song_io.h"
#include "songfile/update_panel.h"

namespace strumwell {

namespace {

using songfile::Entry;
using songfile::Layout;
using songfile::SongFileContent;

// The file checked whole, or nothing after telling the user why it cannot be read: in a message
// naming the file and the line, or, once the tag line is read and names a newer edition, by the
// panel alone, since the file is not damaged but newer than this program. A file too damaged to
// hold a tag line gets the message whatever it was meant to be.
std::optional<SongFileContent> CheckedSong(Strumwellfrm& w, const std::string& path, Entry entry)
{
    // The command line can be any text, megabytes long: the message quotes a piece of it.
    const std::string quoted = songfile::QuotedPiece(path, songfile::kQuotedPathCharacters);
    const songfile::FileBytes file = songfile::ReadFileBytes(path);
    if (!file.bytes) {
        w.services.messageBox->Show("Could not open the song file " + quoted + ": " + file.error + ".");
        return std::nullopt;
    }
    songfile::CheckResult checked = songfile::CheckSongFile(*file.bytes, entry);
    if (checked.song) return std::move(checked.song);
    if (checked.newerEdition)
        songfile::ShowNewerEditionPanel(w.songFiles);
    else
        w.services.messageBox->Show("Could not read the song file " + quoted + ". " + checked.error.reason);
    return std::nullopt;
}

// The steps both entry points are made of, on one checked song.
class SongReader {
public:
    SongReader(Strumwellfrm& window, const SongFileContent& song) : w_(window), s_(song) {}

    // True when the song was drawn: the sheet then holds the file's song.
    bool ByFileMenu();
    void ByCommandLine();

private:
    void WriteTagAndPageCount()
    {
        w_.songFiles.txtFileVersionNumber.SetText(s_.Tag());
        w_.tabs.lblTotalPages.SetCaption(s_.Line(7));
    }
    void WriteTexts()
    {
        w_.sheet.txtLyrics.SetText(s_.Lyrics(3));
        w_.sheet.txtTitle.SetText(s_.Line(1));
        w_.sheet.txtAuthor.SetText(s_.Line(2));
    }
    void WriteLaterLyrics()
    {
        w_.stores.txtLyricsPage[2].SetText(s_.Lyrics(43));
        w_.stores.txtLyricsPage[3].SetText(s_.Lyrics(44));
    }
    // Speed bar, tempo and the start caption, without any range test: playback copes with any
    // tempo. The command-line open leaves NoteLength to the start-up for most layouts.
    void ApplySongTempo(bool withNoteLength)
    {
        const songfile::SongTempo& tempo = *s_.tempo;
        w_.tempo.lblSpeed.SetHeight(tempo.height);
        w_.tempo.lblSpeed.SetTop(tempo.top);
        if (withNoteLength) w_.NoteLength = tempo.noteLength;
        w_.playState.lblNoteLengthStart.SetCaption(tempo.caption);
    }
    // The window is painted as it stands first, so that it does not look hung while the pause
    // blocks it (and the closed dialog does not stay painted on it).
    void Pause(unsigned milliseconds)
    {
        w_.RepaintNow();
        w_.services.kernel->Sleep(milliseconds);
    }
    void FillPage(int page)
    {
        for (int k = 1; k <= 32; ++k) w_.songFiles.Text1[32 * (page - 1) + k].SetText(s_.CellToken(page, k));
    }
    void FillBeats()
    {
        for (int b = 1; b <= 16; ++b) w_.songFiles.Text1[2 * b - 1].SetText(s_.BeatToken(b));
    }
    // A song of one page: the buffer's other cells and the later pages' lyrics become those of
    // an empty page, so nothing of an earlier song is drawn into, or saved from, pages 2 and 3.
    void ForgetEarlierSong(bool firstEdition)
    {
        if (firstEdition)
            for (int b = 1; b <= 16; ++b) w_.songFiles.Text1[2 * b].SetText(std::string(kBlankToken));
        for (int element = 33; element <= 96; ++element) {
            const bool onBeat = element % 2 == 1;
            w_.songFiles.Text1[element].SetText(std::string(onBeat ? kCrotchetRestToken : kBlankToken));
        }
        w_.stores.txtLyricsPage[2].SetText("");
        w_.stores.txtLyricsPage[3].SetText("");
    }
    void ReadFirstEdition()
    {
        ApplySongTempo(true);
        Pause(1000);
        FillBeats();
        ForgetEarlierSong(true);
        w_.songFiles.CheckOpenVersion2.SetValue(1);
        Pause(2000);
    }

    Strumwellfrm& w_;
    const SongFileContent& s_;
};

bool SongReader::ByFileMenu()
{
    WriteTagAndPageCount();
    WriteTexts();
    switch (s_.layout) {
    case Layout::FirstEdition:
        ReadFirstEdition();
        return true;
    case Layout::Newer:
        songfile::ShowNewerEditionPanel(w_.songFiles);
        return false;
    case Layout::Other:
        return false;
    case Layout::OnePage:
        ApplySongTempo(true);
        Pause(1000);
        FillPage(1);
        ForgetEarlierSong(false);
        w_.songFiles.chkOpen.SetValue(1);
        Pause(2000);
        return true;
    case Layout::ThreePage:
        w_.songFiles.txtFileVersionNumber.SetText(std::string(songfile::kTag25));
        WriteLaterLyrics();
        ApplySongTempo(true);
        FillPage(1);
        FillPage(2);
        Pause(1000);
        FillPage(3);
        Pause(2000);
        w_.songFiles.chkOpen.SetValue(1);
        Pause(2000);
        return true;
    }
    return false;
}

void SongReader::ByCommandLine()
{
    if (s_.layout == Layout::FirstEdition) {
        WriteTagAndPageCount();
        WriteTexts();
        ReadFirstEdition();
        return;
    }
    if (s_.layout == Layout::Newer) songfile::ShowNewerEditionPanel(w_.songFiles);
    WriteTexts();
    ApplySongTempo(false);
    Pause(1000);
    FillPage(1);
    if (s_.layout == Layout::OnePage) {
        // A change of the box: the whole open runs once more, nested, before this one goes on.
        w_.songFiles.chkOpenAuto.SetValue(0);
        ForgetEarlierSong(false);
        w_.songFiles.chkOpen.SetValue(1);
        Pause(1000);
        return;
    }
    if (s_.layout != Layout::ThreePage) return;
    w_.songFiles.txtFileVersionNumber.SetText(std::string(songfile::kTag25));
    w_.tabs.lblTotalPages.SetCaption(s_.Line(7));
    WriteLaterLyrics();
    ApplySongTempo(true);
    Pause(1000);
    FillPage(2);
    FillPage(3);
    Pause(1000);
    w_.songFiles.chkOpen.SetValue(1);
    Pause(2000);
}

}  // namespace

platform::CommonDialog& Strumwellfrm::CommonDialog2() { return *services.saveDialog; }
platform::CommonDialog& Strumwellfrm::CommonDialog3() { return *services.openDialog; }

void Strumwellfrm::Open_Click()
{
    platform::CommonDialog& dialog = CommonDialog3();
    dialog.Filter = songfile::kFilter;
    dialog.ShowOpen();
    if (dialog.FileName.empty()) return;  // cancelled
    const forms::BusyCursor busy;  // until the song is read and drawn
    // A song read only in part (a newer edition's) leaves the work before it unsaved.
    if (const auto song = CheckedSong(*this, dialog.FileName, Entry::FileMenu))
        if (SongReader(*this, *song).ByFileMenu()) KeepSongAsItStands();
}

// Runs on every change of chkOpenAuto: the start-up's 1, and the nested run of a one-page file.
// The whole command line is the path, blanks and quotes included.
void Strumwellfrm::chkOpenAuto_Click()
{
    if (const auto song = CheckedSong(*this, Command(), Entry::CommandLine))
        SongReader(*this, *song).ByCommandLine();
}

}  // namespace strumwell
