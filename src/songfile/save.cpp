// File > Save: the whole song, all three pages, in the "version 2.5" layout. There is no document
// but the widgets, so the page on show goes into its store first and the file is written from the
// stores. A cancelled dialog writes nothing; the file is replaced only once the new one is whole
// on disk, and a save that fails says so, naming the file and the reason.

#include <filesystem>

#include "sheet/strumwellfrm.h"
#include "songfile/desktop_services.h"
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

songfile::SongSheet SheetToSave(Strumwellfrm& w)
{
    songfile::SongSheet song;
    song.title = w.sheet.txtTitle.Text();
    song.author = w.sheet.txtAuthor.Text();
    for (int page = 1; page <= 3; ++page) {
        const auto p = static_cast<std::size_t>(page);
        song.lyrics[p - 1] = w.stores.txtLyricsPage[p].Text();
        for (int k = 1; k <= 32; ++k)
            song.tokens[p - 1][static_cast<std::size_t>(k - 1)] = w.stores.imgPage[p][k].ToolTipText();
    }
    song.speedHeight = w.tempo.lblSpeed.Height();
    song.speedTop = w.tempo.lblSpeed.Top();
    song.noteLength = w.NoteLength;
    song.pageCount = w.tabs.lblTotalPages.Caption();
    return song;
}

void TellFailure(Strumwellfrm& w, const std::string& path, const std::string& reason, bool existed)
{
    songfile::Tell(w.services, "Could not save the song to \"" + path + "\": " + reason + ". " +
                                   (existed ? "The file is as it was before." : "No file was written."));
}

}  // namespace

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
    if (!file.Open()) return TellFailure(*this, path, file.Error(), existed);

    // Pages beyond the page count are saved as empty pages; their lyrics stay.
    const std::string pages = tabs.lblTotalPages.Caption();
    if (pages == "1") {
        ClearPageStore(2);
        ClearPageStore(3);
    }
    if (pages == "2") ClearPageStore(3);

    if (!file.Write(songfile::SongFileText(SheetToSave(*this))) || !file.Commit())
        TellFailure(*this, path, file.Error(), existed);
}

}  // namespace strumwell
