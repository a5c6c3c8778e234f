#pragma once
// Reading a song file is checked whole before the window is touched: the header, the layout the
// tag names (a tag that names neither a layout nor a newer edition is refused), enough lines for
// it, numbers where the entry point converts them, and a page count of 1, 2 or 3 where it keeps
// one (blanks and leading zeros set aside). A file that passes can be put on the sheet without any
// further failure; one that does not is reported with the line it failed on, and the song on show
// stays as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songfile/song_file_format.h"

namespace strumwell::songfile {

// File > Open and the command-line open read alike but differ in what they apply (see reader).
enum class Entry { FileMenu, CommandLine };

enum class Layout { ThreePage, OnePage, FirstEdition, Newer, Other };

struct SongTempo {
    int height = 0, top = 0;     // speed bar, twips
    std::int16_t noteLength = 0; // left 0 where the entry point does not set NoteLength
    std::string caption;         // the tempo line's text, for lblNoteLengthStart
};

struct SongFileContent {
    Layout layout = Layout::Other;
    // lines[n]: the value of line n of the layout (1-based), after the "spare" rules.
    std::vector<std::string> lines;
    // The tempo, where the entry point applies it for this layout.
    std::optional<SongTempo> tempo;

    const std::string& Line(int n) const { return lines.at(static_cast<std::size_t>(n)); }
    const std::string& Tag() const { return Line(9); }
    // A lyrics line (3, 43 or 44) without the one ":" that Save puts in front.
    std::string Lyrics(int line) const;
    // The token of cell k of page p (three-page and one-page layouts), or of beat b (first edition).
    const std::string& CellToken(int page, int cell) const;
    const std::string& BeatToken(int beat) const { return Line(10 + beat); }
};

struct ReadError {
    int line = 0;        // the file's line the reading failed on (the last line for a short file)
    std::string reason;  // a sentence for the user, naming the line
};

struct CheckResult {
    std::optional<SongFileContent> song;  // set when the file can be read
    ReadError error;                      // otherwise
    bool newerEdition = false;            // the tag names a newer edition (known once the header is read)
};

CheckResult CheckSongFile(std::string_view bytes, Entry entry);

// Lines that each layout reads.
int LinesOf(Layout layout);

}  // namespace strumwell::songfile
