#pragma once
// The song the benchmarks work on.

#include <QTemporaryDir>

#include <fstream>
#include <string>
#include <vector>

#include "platform/comdlg/common_dialog.h"
#include "platform/flash/flash_control.h"
#include "platform/kernel/kernel.h"
#include "platform/services.h"
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

// The bench song written into `folder`; its path.
inline std::string WriteThreePageSong(const QTemporaryDir& folder)
{
    const std::string song = folder.filePath(QStringLiteral("three pages.swl")).toStdString();
    std::ofstream(song, std::ios::binary) << strumwell::songfile::SongFileText(ThreePageSong());
    return song;
}

// What a bench's window runs with: no sound, scripted dialogs, recorded messages, pauses that
// return at once.
struct WindowDoubles {
    WindowDoubles()
    {
        services.flash = &flash;
        services.saveDialog = &saveDialog;
        services.openDialog = &openDialog;
        services.messageBox = &messages;
        services.kernel = &kernel;
    }
    WindowDoubles(const WindowDoubles&) = delete;
    WindowDoubles& operator=(const WindowDoubles&) = delete;

    platform::RecordingFlash flash;
    platform::ScriptedDialog saveDialog, openDialog;
    platform::RecordingMessageBox messages;
    platform::InstantKernel kernel;
    platform::Services services;
};

}  // namespace bench
