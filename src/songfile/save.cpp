// File > Save: the whole song, all three pages, in the "version 2.5" layout. There is no document
// but the widgets, so the page on show goes into its store first and the file is written from the
// stores. A cancelled dialog writes nothing; the file is replaced only once the new one is whole
// on disk, and a save that fails says so, naming the file and the reason. The file's code page has
// one byte a character: a saved song that held characters beyond it says which ones became "?".

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/code_page.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"
#include "songfile/song_file_format.h"
#include "songfile/song_io.h"

namespace strumwell {

namespace {

int PageNumber(const std::string& caption)
{
    if (caption == "1") return 1;
    if (caption == "2") return 2;
    if (caption == "3") return 3;
    return 0;
}

// The song Save writes, read from the window without changing it: what the stores will hold
// once the page on show is stored and the pages beyond the page count are cleared.
songfile::SongSheet SongToSave(const Strumwellfrm& w)
{
    songfile::SongSheet song;
    song.title = w.sheet.txtTitle.Text();
    song.author = w.sheet.txtAuthor.Text();
    const int shown = PageNumber(w.tabs.lblCurrentPage.Caption());
    const std::string& pages = w.tabs.lblTotalPages.Caption();
    const int kept = pages == "1" ? 1 : pages == "2" ? 2 : 3;  // pages beyond are saved empty
    for (int page = 1; page <= 3; ++page) {
        const auto p = static_cast<std::size_t>(page);
        const auto& cells = page == shown ? w.sheet.imgRest : w.stores.imgPage[p];
        song.lyrics[p - 1] = page == shown ? w.sheet.txtLyrics.Text() : w.stores.txtLyricsPage[p].Text();
        for (int k = 1; k <= 32; ++k) {
            const bool onBeat = k % 2 == 1;
            song.tokens[p - 1][static_cast<std::size_t>(k - 1)] =
                page <= kept ? cells[k].ToolTipText() : std::string(onBeat ? kCrotchetRestToken : kBlankToken);
        }
    }
    song.speedHeight = w.tempo.lblSpeed.Height();
    song.speedTop = w.tempo.lblSpeed.Top();
    song.noteLength = w.NoteLength;
    song.pageCount = pages;
    return song;
}

void TellFailure(Strumwellfrm& w, const std::string& path, const songfile::ReplacingFile& file, bool existed)
{
    const char* outcome = file.Damaged() ? "The file may hold only part of the song."
                          : existed      ? "The file is as it was before."
                                         : "No file was written.";
    w.services.messageBox->Show("Could not save the song to \"" + path + "\": " + file.Error() + ". " + outcome);
}

// The characters of the song that the file's code page cannot hold, each once.
std::vector<char32_t> UnwritableCharacters(const songfile::SongSheet& song)
{
    std::string all = song.title + song.author + song.pageCount;
    for (const std::string& lyrics : song.lyrics) all += lyrics;
    for (const auto& page : song.tokens)
        for (const std::string& token : page) all += token;
    return platform::MissingFromAnsiCodePage(all);
}

// A character as the message shows it: itself in quotes, or its code where it would show as
// nothing (a zero-width blank, a lone accent).
std::string Shown(char32_t c)
{
    if (platform::IsVisibleCharacter(c)) return "\"" + platform::Utf8Of(c) + "\"";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return code;
}

void TellUnwritable(Strumwellfrm& w, const std::string& path, const std::vector<char32_t>& characters)
{
    constexpr std::size_t kListed = 40;
    std::string list;
    for (std::size_t i = 0; i < characters.size() && i < kListed; ++i) list += (i ? ", " : "") + Shown(characters[i]);
    if (characters.size() > kListed) list += " and " + std::to_string(characters.size() - kListed) + " more";
    w.services.messageBox->Show("The song is saved to \"" + path + "\", but a song file cannot hold " +
                                   (characters.size() == 1 ? "this character, so it was" : "these characters, so each was") +
                                   " written as a question mark: " + list + ".");
}

}  // namespace

std::string Strumwellfrm::SongAsSaved() const { return songfile::SongText(SongToSave(*this)); }

void Strumwellfrm::Save_Click()
{
    if (const int page = PageNumber(tabs.lblCurrentPage.Caption())) StoreVisiblePage(page);

    platform::CommonDialog& dialog = CommonDialog2();
    dialog.Filter = songfile::kFilter;
    dialog.ShowSave();
    const std::string path = dialog.FileName;
    if (path.empty()) return;  // cancelled

    std::error_code error;
    const bool existed = std::filesystem::exists(path, error);
    songfile::ReplacingFile file(path);
    if (!file.Open()) return TellFailure(*this, path, file, existed);

    // Pages beyond the page count are saved as empty pages; their lyrics stay.
    const std::string pages = tabs.lblTotalPages.Caption();
    if (pages == "1") {
        ClearPageStore(2);
        ClearPageStore(3);
    }
    if (pages == "2") ClearPageStore(3);

    const songfile::SongSheet song = SongToSave(*this);
    const std::string text = songfile::SongFileText(song);
    if (!file.Write(text) || !file.Commit()) return TellFailure(*this, path, file, existed);
    // What the file now holds, as a read of it would show it: characters it could not hold
    // (written as "?") are still unsaved work.
    keptSong_ = platform::FromAnsiCodePage(text);
    if (const std::vector<char32_t> lost = UnwritableCharacters(song); !lost.empty()) TellUnwritable(*this, path, lost);
}

}  // namespace strumwell
