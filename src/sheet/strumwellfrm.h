#pragma once
// The program's one main window. It owns every widget for the whole run, and the song on show is
// nothing but the properties of these widgets (a cell's token in its tooltip, its symbol in its
// picture, counters and flags in hidden labels and check boxes) plus the two fields below.
//
// The widgets are grouped by purpose; each handler is defined in the folder of the subsystem it
// belongs to (sheet/, playback/, render/, songfile/, printing/).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/forms/forms.h"
#include "platform/forms/timer.h"
#include "platform/services.h"
#include "sheet/held_messages.h"
#include "sheet/page_rows.h"

namespace platform {
class FlashControl;
}

namespace strumwell {

class PrintPreviews;

using forms::CheckBox;
using forms::CommandButton;
using forms::ControlArray;
using forms::Frame;
using forms::Label;
using forms::MenuItem;
using forms::Picture;
using forms::PictureBox;
using forms::TextBox;

// The hidden reference pictures. Every picture code puts on the sheet is one of these, shared.
struct SymbolLibrary {
    PictureBox pctBlank, pictureCrotchetRest, pctQuaverRest, pctEmpty;
    std::array<PictureBox, 20> pctChord;      // cell symbol of kChordTokens[i] (pctAchord, ...)
    std::array<PictureBox, 20> pctChordName;  // chord-name symbol of kChordTokens[i]
    std::array<ControlArray<PictureBox>, 7> pctString;  // [n][f]: note of string n (1..6), fret f
    PictureBox pctCrotchetBlue, pctQuaver1Blue, pctQuaver2Blue, pctQuaverTailBlue;
    PictureBox pctCrotchetRed, pctQuaver1Red, pctQuaver2red, pctQuaverTailRed;
    PictureBox pctCrotchetRestRed, pctQuaverRestRed;
    PictureBox pctBarlineRepeat, pctBarlineContinue;
};

// The visible page and the song's texts.
struct SheetWidgets {
    ControlArray<PictureBox> imgRest;        // 0..32: 0 is the tab clef, k is cell k
    ControlArray<PictureBox> imgNoteRhythm;  // 0..32
    ControlArray<PictureBox> imgChordName;   // 0..32
    ControlArray<Label> lblChordNameCheck;   // 0..33, hidden: the effective chord of cell k
    ControlArray<PictureBox> imgBarline;     // 0..3: 3 is the end barline
    Label Label1, lblTitle, lblAuthor;
    TextBox txtLyrics, txtTitle, txtAuthor;
};

struct PaletteWidgets {
    Frame Frame10;
    Label lblChords, lblSolos;
    PictureBox Picture2;
    Label lblE, lblA, lblD, lblG, lblC, lblF, lblEm, lblAm, lblDm, lblBm, lbl7th;
    Label lblRest;
    PictureBox imgClickedChord, pctBlankTab1, pctBlankTab;  // the current pick and its frame
};

struct NoteLengthWidgets {
    PictureBox Picture1;
    Label lblCrotchet, lblQuaver;
    PictureBox pictureNoteLengthSelect;
};

struct SoloWidgets {
    PictureBox pctSoloButtons1;  // string panel
    std::array<Label, 7> lblString;  // [1..6]: lblString1 .. lblString6
    PictureBox pctSoloButtons2;  // fret panel
    ControlArray<Label> lblNoteName;  // 0..12
};

struct TransportWidgets {
    CommandButton cmdStop;
    CheckBox chkPause;
    CommandButton cmdPlay;
    Label lblPlayingCaption;
};

struct TempoWidgets {
    Label lblFaster, lblSpeed, lblSlower;
};

struct PageTabWidgets {
    PictureBox Picture3;
    Label lblPage1, lblPage2, lblPage3;
    Label lblCurrentPage, lblTotalPages;
};

// Hidden copies of pages 1 to 3: index [1..3], element k = cell k.
struct PageStoreWidgets {
    std::array<ControlArray<PictureBox>, 4> imgPage;
    std::array<ControlArray<PictureBox>, 4> imgChordPage;
    std::array<ControlArray<PictureBox>, 4> imgRhythmPage;
    std::array<TextBox, 4> txtLyricsPage;
    ControlArray<Label> lblChordNameCheckpage2, lblChordNameCheckpage3;  // 0..32
};

struct PlaybackStateWidgets {
    Label lblConstant, lblPauseOn, lblPauseBar, lblResetPlay, lblCurrentNoteValue, lblTimer;
    Label lblNoteLengthStart;
    CommandButton cmdTimer;
    CheckBox Check1, chkStop;
};

struct SongFileWidgets {
    CheckBox chkOpenAuto, chkOpen, CheckOpenVersion2;
    ControlArray<TextBox> Text1;  // 0..96: the load buffer
    TextBox txtFileVersionNumber;
    PictureBox pctUpdate;
    Label Label2, Label3;
    CommandButton cmdUpdate, cmdCloseUpdate;
};

struct MenuWidgets {
    MenuItem Open, Print, Save;
    MenuItem numberofpagesone, numberofpagestwo, numberofpagesthree;
    MenuItem clearpage, blank, WebLink;
};

class Strumwellfrm : public forms::Form {
public:
    // `clipFolder`: where the clips lie (sheet/clip_names.h).
    Strumwellfrm(const platform::Services& services, std::string commandLine, std::string clipFolder);
    ~Strumwellfrm() override;

    // The two fields of the window, in this order.
    std::int16_t PlayPosition = 0;
    std::int16_t NoteLength = 0;

    SymbolLibrary symbols;
    SheetWidgets sheet;
    PaletteWidgets palette;
    NoteLengthWidgets noteLength;
    SoloWidgets solo;
    TransportWidgets transport;
    TempoWidgets tempo;
    PageTabWidgets tabs;
    PageStoreWidgets stores;
    PlaybackStateWidgets playState;
    SongFileWidgets songFiles;
    CheckBox chkAddChordName;
    MenuWidgets menu;
    forms::Timer Timer1;
    platform::FlashControl& swfFlashScreen;

private:
    // The window's own message box, which passes what it is told on to the given one; made
    // before, and let go after, the services and the controls that name it.
    HeldMessages messages_;

public:
    // The services the window was given, but for its message box: the window's own messages_.
    // Fixed for the window's life.
    const platform::Services services;

    // The program's whole command line, as one text.
    const std::string& Command() const { return commandLine_; }

    // ---- start-up (sheet/form_load.cpp) ----
    void Form_Load();

    // ---- symbol lookups (sheet/symbol_lookup.cpp) ----
    // The cell symbol of a token, or nullptr when the token has none (the cell is left unchanged).
    const Picture* CellSymbol(const std::string& token) const;
    // The chord-name symbol of a token: a chord name, the empty symbol, or nullptr for "untouched".
    const Picture* ChordNameSymbol(const std::string& token) const;
    // The reference picture of string n (1..6) at fret f (0..12); its tooltip is the note token.
    const PictureBox& NotePicture(int string, int fret) const;
    const PictureBox& ChordPicture(const std::string& token) const;
    static bool SameSymbol(const Picture& a, const Picture& b) { return a.Handle() == b.Handle(); }
    // Shows a symbol by sharing the reference picture itself.
    static void ShowSymbol(PictureBox& target, const PictureBox& reference)
    {
        target.SetPicture(reference.GetPicture());
    }

    // ---- rows of a page (sheet/chord_name_row.cpp) ----
    // The rows of the visible page, and of the stores of pages 2 and 3 (page = 1, 2, 3).
    RowBinding VisibleRows();
    RowBinding StoreRows(int page);
    // The chord-name rule over the 32 cells of one page. `betweenPasses`, when given, runs after the
    // pictures are set from the tokens and before the effective chords are derived.
    void DeriveChordNameRow(const RowBinding& rows, const std::function<void()>& betweenPasses = {});

    // ---- cell entry (sheet/cell_entry.cpp) ----
    void imgRest_Click(int Index);
    // The rhythm rules around cell I after the pick was placed there: the marks of I and of its
    // beat partner, judged by the partner's mark alone (never by its token).
    void UpdateRhythmAroundCell(int I);
    bool CellHasMark(int k, const PictureBox& mark) const;
    void SetCellMark(int k, const PictureBox& mark);
    // The partner becomes a quaver rest (its mark stays as it is: empty).
    void MakeQuaverRest(int k);

    // ---- chord palette, 7th, REST (sheet/palette.cpp) ----
    void lblA_Click();
    void lblAm_Click();
    void lblBm_Click();
    void lblC_Click();
    void lblD_Click();
    void lblDm_Click();
    void lblE_Click();
    void lblEm_Click();
    void lblF_Click();
    void lblG_Click();
    void lbl7th_Click();
    void lblRest_Click();
    // One chord label of the palette, as its click handler and the 7th toggle see it.
    struct ChordLabel;
    void ChordLabel_Click(const ChordLabel& chord);
    // Picks the plain or the 7th chord of a label by the toggle: token, then picture.
    void PickChord(const ChordLabel& chord, bool seventh);
    // The eleven palette labels: `selected` red, every other one its resting colour.
    void SelectPaletteLabel(const Label* selected);
    // The rest of the note-length mode on show becomes the pick ("Rest 1" or "Rest 1/2").
    void PickRestOfNoteLength();
    // LoadMovie on layer 0 with a clip of the window's clip folder (sheet/clip_names.h).
    void LoadClip(std::string_view clipName);
    bool PickIs(const PictureBox& reference) const;

    // ---- note-length entry (sheet/note_length.cpp) ----
    void lblCrotchet_Click();
    void lblQuaver_Click();

    // ---- solo mode, strings and frets (sheet/solo.cpp, sheet/fret_pick.cpp) ----
    void lblChords_Click();
    void lblSolos_Click();
    void lblString_Click(int n);  // lblString1_Click .. lblString6_Click
    void lblNoteName_Click(int Index);
    // Picks the note of string n at fret f from its reference picture: picture, then token.
    void PickNote(int string, int fret);

    // ---- page stores, tabs, page count (sheet/pages.cpp, sheet/page_count.cpp) ----
    void StoreVisiblePage(int page);
    void ShowStoredPage(int page);
    void ClearPageStore(int page);
    void lblPage1_Click();
    void lblPage2_Click();
    void lblPage3_Click();
    void numberofpagesone_Click();
    void numberofpagestwo_Click();
    void numberofpagesthree_Click();
    // Writes an empty page into the rows of a page: odd cells the crotchet rest ("Rest 1"), even
    // cells blank (""), no chord names, no rhythm marks. The lyrics are not touched.
    void FillEmptyPage(const RowBinding& rows);
    // The page tabs with tab `page` as the page on show: yellow and disabled, the others white
    // (colours) or enabled (enabled states).
    Label& PageTab(int page);
    void ColourTabs(int page);
    void EnableTabsExcept(int page);
    // The end barline: the repeat sign at the end of the song's last page, the continue sign
    // otherwise.
    void ShowEndBarline(bool lastPage);
    // Empties the effective-chord captions of the visible page; the next cell entry derives them.
    void ForgetEffectiveChords();
    // A tab click up to its end barline: store the page on show, show page `page`, make its tab
    // the current one.
    void SwitchToPageByTab(int page);

    // ---- clear page, text filters (sheet/clear_page.cpp) ----
    void clearpage_Click();
    void txtTitle_KeyPress(int& KeyAscii);
    void txtAuthor_KeyPress(int& KeyAscii);
    void txtLyrics_KeyPress(int& KeyAscii);
    // Text for the title, author and lyrics boxes that arrives other than by a key press (paste,
    // drop, input method) comes in without its commas: a comma would end the field in the song file.
    static std::string WithoutCommas(const std::string& text);
    // Switches the chord-name row off or on by chkAddChordName. Nothing calls it.
    void ToggleChordNames();
    // Spare procedures that do nothing and that nothing calls.
    void EmptyFormProcedure();
    void EmptyFormProcedure2();

    // ---- playback (playback/) ----
    // One playback step: plays the cell at the position in lblConstant (playback/step.cpp).
    void Check1_Click();
    // At the wrap to cell 1: stores the page on show and shows the next page of the song.
    void PageCycle();
    // PLAY, PAUSE, STOP (playback/transport.cpp). RestartPlayback is called by nothing.
    void cmdPlay_Click();
    void chkPause_Click();
    void cmdStop_Click();
    void RestartPlayback();
    // The step clock and tempo (playback/step_clock.cpp). StartStepTimer arms Timer1 with
    // `interval` ms (to the nearest whole ms, a half to the even one) and a deadline `seconds` ahead.
    void StartStepTimer(double interval, int seconds);
    void Timer1_Timer();
    void lblFaster_Click();
    void lblSlower_Click();
    // The clock Timer1 and its deadline are read on: the services' clock (the machine's unless given).
    platform::Clock& StepClock() const;
    // Played-cell marks on the visible page (playback/marks.cpp): cell k (1..32) shown as played;
    // every played mark of cells 1..32 back to normal; only the rhythm mark of cell k back to blue.
    void MarkCellPlayed(int k);
    void ClearPlaybackHighlight();
    void ClearRhythmMark(int k);
    // Every played mark of the rows of a page (the visible page or a store) back to normal.
    void ClearPlaybackMarks(const RowBinding& rows);
    // The clip table stage of a step: sounds imgRest(PlayPosition) and shows its item
    // (playback/clip_table.cpp). LoadWorksongClip is called by nothing.
    void PlayCellClips();
    void LoadWorksongClip();

    // ---- renderer (render/) ----
    // A loaded song's tokens in Text1 and its page count in lblTotalPages become the sheet: page 1
    // on the visible page, pages 2 and 3 in their stores. Runs twice per load: resetting its own
    // box at the end runs it again, nested, on the same inputs.
    void chkOpen_Click();
    // A first-edition song (one token per beat in Text1(1), (3), ..., (31)) becomes a one-page sheet.
    void CheckOpenVersion2_Click();
    // Every page (visible page and stores 1..3) becomes the empty page.
    void ResetSheet();
    // Tab box, tabs, end barline and current page by the page count.
    void ShowPageTabs();
    // The rows a render draws page `page` (1..3) into: page 1 the visible page, else its store.
    RowBinding RenderedRows(int page);
    // Cell pictures and tokens of page `page` from its 32 load-buffer elements.
    void DrawPageCells(int page);
    // The rhythm row of a page from its tokens, beat by beat; expects the row empty on entry.
    void DeriveRhythmRow(const RowBinding& rows);

    // ---- song files and desktop (songfile/) ----
    void Open_Click();
    void Save_Click();
    void chkOpenAuto_Click();
    void cmdUpdate_Click();
    void cmdCloseUpdate_Click();
    void WebLink_Click();
    // Registers the song file type with the desktop at every start (songfile/file_association.cpp).
    void RegisterSongFileType();
    // The save dialog and the open dialog of the services.
    platform::CommonDialog& CommonDialog2();
    platform::CommonDialog& CommonDialog3();
    // The song as Save would write it now, in the lines of its file but in the window's own
    // characters (before the file's code page): the page on show as the sheet holds it, the
    // other pages from their stores, pages beyond the page count empty. Changes nothing
    // (songfile/save.cpp).
    std::string SongAsSaved() const;
    // Unsaved work (songfile/unsaved_song.cpp): the song counts as kept when it is what was last
    // read, or what the file last written shows when read back, or, before either, the start's
    // empty song.
    void KeepSongAsItStands();
    bool SongIsKept() const;
    // Before the window closes over a song that is not kept, the user is asked whether to save
    // it; Cancel, or a Save that did not write the song, keeps the window open.
    void Form_QueryUnload(int& Cancel);

    // ---- printing (printing/) ----
    void Print_Click();
    // The preview windows of the run, each made on first use.
    PrintPreviews& Previews();

private:
    void BuildSymbolLibrary();
    void BuildWindowDesign();
    void ConnectHandlers();

    std::string commandLine_;
    std::string clipFolder_;
    // The preview windows belong to printing: made and let go in printing/print.cpp.
    struct ReleasePreviews {
        void operator()(PrintPreviews* previews) const;
    };
    std::unique_ptr<PrintPreviews, ReleasePreviews> previews_;
    std::string keptSong_;  // SongAsSaved() of the song last read, written or started with
    bool askingToSave_ = false;
};

}  // namespace strumwell
