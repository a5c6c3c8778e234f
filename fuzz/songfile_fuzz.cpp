// Any bytes as a song file, through both entry points' checks. Besides the sanitizers' own
// findings, it stops on a broken promise of the reader: a file that passes can be saved and read
// back to the same song, and one that fails says why on a real line. The same bytes also go
// through the registry file's reader, whose output must read back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/registry_tree.h"
#include "songfile/song_check.h"

using namespace strumwell::songfile;

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

SongSheet SheetOf(const SongFileContent& song)
{
    SongSheet sheet;
    sheet.title = song.Line(1);
    sheet.author = song.Line(2);
    sheet.lyrics = {song.Lyrics(3), song.Lyrics(43), song.Lyrics(44)};
    sheet.speedHeight = song.tempo->height;
    sheet.speedTop = song.tempo->top;
    sheet.noteLength = song.tempo->noteLength;
    sheet.pageCount = song.Line(7);
    for (int p = 1; p <= 3; ++p)
        for (int k = 1; k <= 32; ++k)
            sheet.tokens[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(k - 1)] = song.CellToken(p, k);
    return sheet;
}

void CheckRoundTrip(const SongFileContent& song, Entry entry)
{
    const SongSheet sheet = SheetOf(song);
    const CheckResult again = CheckSongFile(SongFileText(sheet), entry);
    Require(again.song && again.song->layout == Layout::ThreePage);
    const SongSheet back = SheetOf(*again.song);
    Require(back.title == sheet.title && back.author == sheet.author && back.lyrics == sheet.lyrics);
    Require(back.speedHeight == sheet.speedHeight && back.speedTop == sheet.speedTop);
    Require(back.noteLength == sheet.noteLength && back.pageCount == sheet.pageCount);
    Require(back.tokens == sheet.tokens);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const Entry entry : {Entry::FileMenu, Entry::CommandLine}) {
        const CheckResult result = CheckSongFile(bytes, entry);
        if (!result.song) {
            Require(!result.error.reason.empty() && result.error.line >= 0);
            continue;
        }
        Require(result.song->lines.size() == kThreePageLines + 1);
        if (result.song->layout == Layout::ThreePage) CheckRoundTrip(*result.song, entry);
    }

    using platform::registry::Tree;
    const std::string text = Tree::FromText(bytes).Text();
    Require(Tree::FromText(text).Text() == text);
    return 0;
}
