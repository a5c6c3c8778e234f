#pragma once
// The song the benchmarks work on.

#include <string>
#include <vector>

#include "songfile/song_file_format.h"

namespace bench {

// A full song: chords, notes, rests and quaver pairs on all three pages.
inline strumwell::songfile::SongSheet ThreePageSong()
{
    const std::vector<std::string> cells{"A", "", "Rest 1", "", "Am7", "E7", "Rest 1/2", "G",
                                         "F# 1st String", "", "Top E 6th String", "", "C", "", "Dm", ""};
    strumwell::songfile::SongSheet song;
    song.title = "Bench Song";
    song.author = "Bench";
    song.lyrics = {"first page words", "second page words", "third page words"};
    song.speedHeight = 2255;
    song.speedTop = 1960;
    song.noteLength = 1200;
    song.pageCount = "3";
    for (auto& page : song.tokens)
        for (std::size_t k = 0; k < page.size(); ++k) page[k] = cells[(k + page.size()) % cells.size()];
    return song;
}

}  // namespace bench
