// The window design: every widget of the main window with its design values, built group by group
// of the design in stacking order (a widget created later lies above the ones before it).

#include "sheet/strumwellfrm.h"

#include "resources/symbol_art.h"
#include "sheet/chord_labels.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include <QImage>

namespace strumwell {

namespace c = colours;
using forms::Font;
using forms::Form;
using forms::Geometry;

namespace {

const Font kVerdanaBold{"Verdana", 8.25, true};
const Font kVerdanaLarge{"Verdana", 14.25, true};
const Font kVerdanaMedium{"Verdana", 9.75, true};
const Font kArialBold{"Arial", 8.25, true};
const Font kSansSerifBold{"MS Sans Serif", 8.25, true};
const Font kSansSerif{"MS Sans Serif", 8.25, false};

// Left edge of cell k (1..32): cells stand 240 twips apart, and each bar boundary adds a gap of 240
// twips in which a barline stands.
int CellLeft(int k) { return 1080 + 240 * (k - 1) + 240 * ((k - 1) / 8); }

PictureBox Hidden(PictureBox box)
{
    box.SetVisible(false);
    return box;
}

Label HiddenLabel(const forms::Container& parent, const std::string& name, const std::string& caption)
{
    Label label(parent, name, {}, caption);
    label.SetVisible(false);
    return label;
}

CheckBox HiddenCheck(const forms::Container& parent, const std::string& name, const std::string& caption)
{
    CheckBox box(parent, name, {}, caption);
    box.SetVisible(false);
    return box;
}

// A hidden reference picture of the symbol library, as large as its artwork.
PictureBox Reference(const forms::Container& parent, const std::string& name, const QImage& image)
{
    const int pixel = forms::kTwipsPerPixel;
    PictureBox box(parent, name, {0, 0, image.width() * pixel, image.height() * pixel});
    box.SetVisible(false);
    box.SetPicture(Picture(image));
    return box;
}

// The chord labels in the order the design stacks them, down the left column of the palette box
// (the major chords), then down the right one (the minor chords).
struct ChordLabelPlace {
    ChordRow row;
    int left, top;
};
constexpr std::array<ChordLabelPlace, 10> kChordLabelPlaces{{
    {kChordE, 0, 0}, {kChordA, 0, 480}, {kChordD, 0, 960}, {kChordG, 0, 1440}, {kChordC, 0, 1920},
    {kChordF, 0, 2400}, {kChordEm, 600, 0}, {kChordAm, 600, 480}, {kChordDm, 600, 960}, {kChordBm, 600, 1440},
}};

Label PaletteLabel(const forms::Container& parent, const std::string& name, Geometry g,
                   const std::string& caption, forms::Colour rest)
{
    Label label(parent, name, g, caption);
    label.SetFont(kVerdanaLarge);
    label.SetBackColor(rest);
    return label;
}

// ---- the widget groups, each built in the order its widgets stack ----

// Lies under the chord palette; seen only while PLAY has hidden the palette in chord mode.
void BuildPlayingCaption(const Form& f, TransportWidgets& t)
{
    t.lblPlayingCaption = Label(f, "lblPlayingCaption", {480, 1200, 975, 375}, " playing...");
    t.lblPlayingCaption.SetForeColor(c::kRedText);
}

void BuildModeSelector(const Form& f, PaletteWidgets& p)
{
    p.Frame10 = Frame(f, "Frame10", {120, 120, 2895, 255});
    p.lblChords = Label(p.Frame10, "lblChords", {0, 0, 1215, 255}, "   CHORDS");
    p.lblChords.SetBackColor(c::kChoice);
    p.lblSolos = Label(p.Frame10, "lblSolos", {1200, 0, 1455, 255}, "  SOLO NOTES");
    p.lblSolos.SetBackColor(c::kIdle);
}

void BuildChordPalette(const Form& f, PaletteWidgets& p)
{
    p.Picture2 = PictureBox(f, "Picture2", {240, 600, 1815, 2775});
    for (const auto& [row, left, top] : kChordLabelPlaces) {
        const Strumwellfrm::ChordLabel& chord = kChordLabels[row];
        p.*chord.label = PaletteLabel(p.Picture2, "lbl" + std::string(chord.plain), {left, top, 495, 375},
                                      std::string(chord.caption), chord.resting);
    }
    p.lbl7th = PaletteLabel(p.Picture2, "lbl7th", {600, 1920, 1095, 375}, "  7th", c::kSeventhOff);
    p.lblRest = PaletteLabel(f, "lblRest", {120, 3840, 1095, 375}, " REST", c::kRestLabel);
}

void BuildNoteLengthSelector(const Form& f, NoteLengthWidgets& n)
{
    n.Picture1 = PictureBox(f, "Picture1", {1320, 3600, 3015, 735});
    n.Picture1.SetPicture(Picture(art::NoteLengthBackground()));
    n.lblCrotchet = Label(n.Picture1, "lblCrotchet", {0, 0, 2535, 375}, "CROTCHET (1 count)");
    n.lblCrotchet.SetFont(kVerdanaMedium);
    n.lblCrotchet.SetBackColor(c::kActive);
    n.lblQuaver = Label(n.Picture1, "lblQuaver", {0, 360, 2535, 375}, "QUAVER (quick note)");
    n.lblQuaver.SetFont(kVerdanaMedium);
    n.lblQuaver.SetBackColor(c::kIdle);
    n.pictureNoteLengthSelect = PictureBox(n.Picture1, "pictureNoteLengthSelect", {2640, 120, 375, 495});
    n.pictureNoteLengthSelect.SetPicture(Picture(art::RhythmMark(art::Mark::Crotchet, true)));
}

// The current pick between two blank cells; its design picture is a copy of the rest's artwork.
void BuildCurrentPick(const Form& f, PaletteWidgets& p)
{
    p.pctBlankTab1 = PictureBox(f, "pctBlankTab1", {4440, 3240, 240, 1335});
    p.pctBlankTab1.SetPicture(Picture(art::Blank()));
    p.imgClickedChord = PictureBox(f, "imgClickedChord", {4680, 3240, 255, 1575});
    p.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    p.imgClickedChord.SetPicture(Picture(art::CrotchetRest()));
    // Above the pick, so the pick's empty last column does not break the staff.
    p.pctBlankTab = PictureBox(f, "pctBlankTab", {4920, 3240, 255, 1335});
    p.pctBlankTab.SetPicture(Picture(art::Blank()));
}

void BuildTransport(const Form& f, TransportWidgets& t)
{
    t.cmdStop = CommandButton(f, "cmdStop", {10080, 1920, 1215, 735}, "STOP");
    t.chkPause = CheckBox(f, "chkPause", {10080, 2640, 1215, 735}, "PAUSE", CheckBox::Style::Graphical);
    t.cmdPlay = CommandButton(f, "cmdPlay", {10080, 3360, 1215, 855}, "PLAY");
    for (forms::Control* button :
         std::initializer_list<forms::Control*>{&t.cmdStop, &t.chkPause, &t.cmdPlay}) {
        button->SetFont(kVerdanaMedium);
        button->SetBackColor(c::kIdle);
    }
    t.cmdStop.SetEnabled(false);
    t.chkPause.SetEnabled(false);
}

void BuildTempo(const Form& f, TempoWidgets& t)
{
    t.lblFaster = Label(f, "lblFaster", {9000, 600, 855, 255}, "   Faster");
    t.lblFaster.SetBackColor(c::kFaster);
    t.lblSpeed = Label(f, "lblSpeed", {9120, 2160, 615, 2055}, " Speed");
    t.lblSpeed.SetBackColor(c::kSpeedBar);
    t.lblSlower = Label(f, "lblSlower", {9020, 4300, 855, 255}, "  Slower");
    t.lblSlower.SetBackColor(c::kSlower);
}

void BuildTitleAndAuthor(const Form& f, SheetWidgets& s)
{
    s.lblTitle = Label(f, "lblTitle", {3120, 120, 375, 255}, "Title");
    s.txtTitle = TextBox(f, "txtTitle", {3600, 120, 2775, 285}, "");
    s.txtTitle.SetForeColor(c::kBlueText);
    s.lblAuthor = Label(f, "lblAuthor", {6480, 120, 495, 375}, "Author");
    s.txtAuthor = TextBox(f, "txtAuthor", {7080, 120, 2415, 285}, "");
    s.txtAuthor.SetForeColor(c::kRedText);
}

// The tab row, then the rhythm row above it (its marks reach down to the staff's top margin), then
// the chord-name row; the page starts empty, in crotchet entry.
void BuildSheetRows(const Form& f, const SymbolLibrary& symbols, SheetWidgets& s)
{
    s.imgRest.Reserve(0, 32);
    s.imgNoteRhythm.Reserve(0, 32);
    s.imgChordName.Reserve(0, 32);
    s.lblChordNameCheck.Reserve(0, 33);
    s.imgBarline.Reserve(0, 3);
    PictureBox clef(f, "imgRest", {600, 5400, 495, 1335});
    clef.SetPicture(Picture(art::TabClef()));
    clef.SetBackColor(forms::kSystemWindowColour);
    clef.SetToolTipText("Tab");
    clef.SetEnabled(false);
    s.imgRest.Add(clef);
    for (int k = 1; k <= 32; ++k) {
        PictureBox cell(f, "imgRest", {CellLeft(k), 5400, 255, 1335});
        cell.SetBackColor(forms::kSystemWindowColour);
        s.imgRest.Add(cell);
    }
    const Picture plainBarline(art::BarlinePlain());
    const std::array<int, 4> barlineLefts{3000, 5160, 7320, 9480};
    for (int i = 0; i < 4; ++i) {
        PictureBox bar(f, "imgBarline",
                       {barlineLefts[static_cast<std::size_t>(i)], 5400, 240, i == 3 ? 1455 : 1335});
        bar.SetPicture(i == 3 ? symbols.pctBarlineRepeat.GetPicture() : plainBarline);
        s.imgBarline.Add(bar);
    }
    for (auto* row : {&s.imgNoteRhythm, &s.imgChordName}) {
        const bool rhythm = row == &s.imgNoteRhythm;
        row->Add(Hidden(PictureBox(f, rhythm ? "imgNoteRhythm" : "imgChordName", {})));
        for (int k = 1; k <= 32; ++k) {
            PictureBox cell(f, rhythm ? "imgNoteRhythm" : "imgChordName",
                            {CellLeft(k), rhythm ? 5040 : 4560, 255, 495});
            cell.SetBackColor(forms::kSystemWindowColour);
            row->Add(cell);
        }
    }
    for (int k = 0; k <= 33; ++k) s.lblChordNameCheck.Add(HiddenLabel(f, "lblChordNameCheck", ""));
    for (int k = 1; k <= 32; ++k) {
        if (k % 2 == 1) {
            Strumwellfrm::ShowSymbol(s.imgRest[k], symbols.pictureCrotchetRest);
            s.imgRest[k].SetToolTipText(std::string(kCrotchetRestToken));
        } else {
            Strumwellfrm::ShowSymbol(s.imgRest[k], symbols.pctBlank);
            s.imgRest[k].SetEnabled(false);
        }
    }
}

void BuildLyrics(const Form& f, SheetWidgets& s)
{
    s.Label1 = Label(f, "Label1", {480, 6840, 495, 255}, "Lyrics");
    s.Label1.SetForeColor(c::kBlueText);
    s.txtLyrics = TextBox(f, "txtLyrics", {1080, 6840, 8535, 285}, "");
    s.txtLyrics.SetFont(kArialBold);
    s.txtLyrics.SetForeColor(c::kBlueText);
}

void BuildPageTabs(const Form& f, PageTabWidgets& t)
{
    t.Picture3 = PictureBox(f, "Picture3", {10080, 5640, 1455, 1455});
    t.Picture3.SetVisible(false);
    t.lblPage1 = Label(t.Picture3, "lblPage1", {0, 0, 735, 255}, " Page 1");
    t.lblPage2 = Label(t.Picture3, "lblPage2", {240, 360, 735, 255}, " Page 2");
    t.lblPage3 = Label(t.Picture3, "lblPage3", {480, 720, 735, 255}, " Page 3");
    for (Label* tab : {&t.lblPage1, &t.lblPage2, &t.lblPage3}) {
        tab->SetFont(kSansSerifBold);
        tab->SetForeColor(c::kBlueText);
        tab->SetBackColor(forms::kSystemWindowColour);
    }
    t.lblPage1.SetBackColor(c::kActive);
    t.lblPage1.SetEnabled(false);
    t.lblCurrentPage = HiddenLabel(t.Picture3, "lblCurrentPage", "1");
    t.lblTotalPages = HiddenLabel(t.Picture3, "lblTotalPages", "1");
}

// The string panel over the chord palette, the fret panel above both.
void BuildSoloPanels(const Form& f, SoloWidgets& s)
{
    s.pctSoloButtons1 = PictureBox(f, "pctSoloButtons1", {120, 480, 1335, 3015});
    s.pctSoloButtons1.SetBackColor(forms::kSystemWindowColour);
    s.pctSoloButtons1.SetVisible(false);
    for (int n = 1; n <= kStrings; ++n) {
        Label& label = s.lblString[static_cast<std::size_t>(n)];
        label = Label(s.pctSoloButtons1, "lblString" + std::to_string(n),
                      {120, 120 + 240 * (n - 1), 1095, 255}, std::string(StringOrdinal(n)) + " String");
        label.SetBackColor(n == 1 ? c::kChoice : forms::kSystemWindowColour);
    }
    s.pctSoloButtons2 = PictureBox(f, "pctSoloButtons2", {120, 2520, 4935, 855});
    s.pctSoloButtons2.SetBackColor(forms::kSystemWindowColour);
    s.pctSoloButtons2.SetVisible(false);
    s.lblNoteName.Reserve(0, 12);
    for (int fret = 0; fret < kFrets; ++fret) {
        Label button(s.pctSoloButtons2, "lblNoteName", {120 + 360 * fret, 120, fret == 10 ? 285 : 300, 495},
                     FretCaption(1, fret));
        button.SetBackColor(c::kIdle);
        button.SetForeColor(c::kFretText);
        s.lblNoteName.Add(button);
    }
}

// Hidden and one pixel high until a newer file is opened.
void BuildNewerEditionPanel(const Form& f, SongFileWidgets& s)
{
    s.pctUpdate = PictureBox(f, "pctUpdate", {2400, 600, 6255, forms::kTwipsPerPixel});
    s.pctUpdate.SetBackColor(c::kUpdatePanel);
    s.pctUpdate.SetVisible(false);
    s.Label2 = Label(s.pctUpdate, "Label2", {480, 120, 5295, 375},
                     "This file was made with a newer version of the Strumwell.");
    s.Label3 = Label(s.pctUpdate, "Label3", {720, 360, 4815, 375},
                     "Would you like to download the newer version now?");
    for (Label* text : {&s.Label2, &s.Label3}) {
        text->SetBackColor(c::kUpdatePanel);
        text->SetFont(kArialBold);
    }
    s.cmdUpdate = CommandButton(s.pctUpdate, "cmdUpdate", {720, 840, 1695, 375}, "Yes, download now.");
    s.cmdCloseUpdate = CommandButton(s.pctUpdate, "cmdCloseUpdate", {3360, 840, 1575, 375}, "No, thankyou.");
    for (CommandButton* button : {&s.cmdUpdate, &s.cmdCloseUpdate}) {
        button->SetFont(kSansSerif);
        button->SetBackColor(forms::kSystemButtonColour);
    }
}

// Hidden: each page's store holds an empty page.
void BuildPageStores(const Form& f, const SymbolLibrary& symbols, PageStoreWidgets& s)
{
    for (int page = 1; page <= 3; ++page) {
        const auto p = static_cast<std::size_t>(page);
        s.imgPage[p].Reserve(0, 32);
        s.imgChordPage[p].Reserve(0, 32);
        s.imgRhythmPage[p].Reserve(0, 32);
        const std::string suffix = std::to_string(page);
        for (int k = 0; k <= 32; ++k) {
            PictureBox cell = Hidden(PictureBox(f, "imgPage" + suffix, {}));
            if (k >= 1) {
                Strumwellfrm::ShowSymbol(cell, k % 2 == 1 ? symbols.pictureCrotchetRest : symbols.pctBlank);
                cell.SetToolTipText(k % 2 == 1 ? std::string(kCrotchetRestToken) : std::string());
            }
            s.imgPage[p].Add(cell);
            s.imgChordPage[p].Add(Hidden(PictureBox(f, "imgChordPage" + suffix, {})));
            s.imgRhythmPage[p].Add(Hidden(PictureBox(f, "imgRhythmPage" + suffix, {})));
        }
        s.txtLyricsPage[p] = TextBox(f, "txtLyricsPage" + suffix, {}, "");
        s.txtLyricsPage[p].SetVisible(false);
    }
    s.lblChordNameCheckpage2.Reserve(0, 32);
    s.lblChordNameCheckpage3.Reserve(0, 32);
    for (int k = 0; k <= 32; ++k) {
        s.lblChordNameCheckpage2.Add(HiddenLabel(f, "lblChordNameCheckpage2", ""));
        s.lblChordNameCheckpage3.Add(HiddenLabel(f, "lblChordNameCheckpage3", ""));
    }
}

// Hidden: playback's counters and flags.
void BuildPlaybackState(const Form& f, PlaybackStateWidgets& s)
{
    s.lblConstant = HiddenLabel(f, "lblConstant", "1");
    s.lblPauseOn = HiddenLabel(f, "lblPauseOn", "0");
    s.lblPauseBar = HiddenLabel(f, "lblPauseBar", "1");
    s.lblResetPlay = HiddenLabel(f, "lblResetPlay", "");
    s.lblCurrentNoteValue = HiddenLabel(f, "lblCurrentNoteValue", "1");
    s.lblTimer = HiddenLabel(f, "lblTimer", "");
    s.lblNoteLengthStart = HiddenLabel(f, "lblNoteLengthStart", "1400");
    s.cmdTimer = CommandButton(f, "cmdTimer", {}, "");
    s.cmdTimer.SetVisible(false);
    s.Check1 = HiddenCheck(f, "Check1", "PLAY");
    s.chkStop = HiddenCheck(f, "chkStop", "0");
}

// Hidden: the open's triggers and its load buffer.
void BuildSongFileTriggers(const Form& f, SongFileWidgets& s)
{
    s.chkOpenAuto = HiddenCheck(f, "chkOpenAuto", "");
    s.chkOpen = HiddenCheck(f, "chkOpen", "chkOpen");
    s.CheckOpenVersion2 = HiddenCheck(f, "CheckOpenVersion2", "");
    s.Text1.Reserve(0, 96);
    for (int i = 0; i <= 96; ++i) {
        TextBox box(f, "Text1", {}, "Text1");
        box.SetVisible(false);
        s.Text1.Add(box);
    }
    s.txtFileVersionNumber = TextBox(f, "txtFileVersionNumber", {}, "");
    s.txtFileVersionNumber.SetVisible(false);
}

void BuildMenus(forms::Form& f, MenuWidgets& m)
{
    forms::Menu file = f.AddMenu("File", "File");
    m.Open = file.AddItem("Open", "Open");
    m.Print = file.AddItem("Print", "Print");
    m.Save = file.AddItem("Save", "Save");
    forms::Menu pages = f.AddMenu("NumberOfPages", "Number of pages");
    m.numberofpagesone = pages.AddItem("numberofpagesone", "1 page (4 bars)");
    m.numberofpagestwo = pages.AddItem("numberofpagestwo", "2 pages (8 bars)");
    m.numberofpagesthree = pages.AddItem("numberofpagesthree", "3 pages (12 bars)");
    forms::Menu options = f.AddMenu("Options", "Options");
    m.clearpage = options.AddItem("clearpage", "Clear Page");
    m.blank = options.AddItem("blank", "__________");
    m.WebLink = options.AddItem("WebLink", "Visit Website");
}

}  // namespace

void Strumwellfrm::BuildSymbolLibrary()
{
    SymbolLibrary& s = symbols;
    const Form& f = *this;
    s.pctBlank = Reference(f, "pctBlank", art::Blank());
    s.pictureCrotchetRest = Reference(f, "pictureCrotchetRest", art::CrotchetRest());
    s.pctQuaverRest = Reference(f, "pctQuaverRest", art::QuaverRest());
    s.pctEmpty = Hidden(PictureBox(f, "pctEmpty", {}));
    for (std::size_t i = 0; i < kChordTokens.size(); ++i) {
        const std::string token(kChordTokens[i]);
        s.pctChord[i] = Reference(f, "pct" + token + "chord", art::Chord(token));
        s.pctChordName[i] = Reference(f, "pctChordName" + token, art::ChordName(token));
    }
    for (int n = 1; n <= kStrings; ++n) {
        auto& notes = s.pctString[static_cast<std::size_t>(n)];
        notes.Reserve(0, kFrets - 1);
        for (int fret = 0; fret < kFrets; ++fret) {
            PictureBox box = Reference(f, "pct" + std::string(StringOrdinal(n)) + "String",
                                       art::Note(n, fret));
            box.SetToolTipText(NoteToken(n, fret));
            notes.Add(box);
        }
    }
    using art::Mark;
    s.pctCrotchetBlue = Reference(f, "pctCrotchetBlue", art::RhythmMark(Mark::Crotchet, false));
    s.pctQuaver1Blue = Reference(f, "pctQuaver1Blue", art::RhythmMark(Mark::Quaver1, false));
    s.pctQuaver2Blue = Reference(f, "pctQuaver2Blue", art::RhythmMark(Mark::Quaver2, false));
    s.pctQuaverTailBlue = Reference(f, "pctQuaverTailBlue", art::RhythmMark(Mark::QuaverTail, false));
    s.pctCrotchetRed = Reference(f, "pctCrotchetRed", art::RhythmMark(Mark::Crotchet, true));
    s.pctQuaver1Red = Reference(f, "pctQuaver1Red", art::RhythmMark(Mark::Quaver1, true));
    s.pctQuaver2red = Reference(f, "pctQuaver2red", art::RhythmMark(Mark::Quaver2, true));
    s.pctQuaverTailRed = Reference(f, "pctQuaverTailRed", art::RhythmMark(Mark::QuaverTail, true));
    s.pctCrotchetRestRed = Reference(f, "pctCrotchetRestRed", art::CrotchetRestRed());
    s.pctQuaverRestRed = Reference(f, "pctQuaverRestRed", art::QuaverRestRed());
    s.pctBarlineRepeat = Reference(f, "pctBarlineRepeat", art::BarlineRepeat());
    s.pctBarlineContinue = Reference(f, "pctBarlineContinue", art::BarlineContinue());
}

void Strumwellfrm::BuildWindowDesign()
{
    SetFont(kVerdanaBold);
    SetIcon(Picture(art::WindowIcon()));
    const Form& f = *this;
    BuildPlayingCaption(f, transport);
    BuildModeSelector(f, palette);
    BuildChordPalette(f, palette);
    BuildNoteLengthSelector(f, noteLength);
    BuildCurrentPick(f, palette);
    BuildTransport(f, transport);
    BuildTempo(f, tempo);
    BuildTitleAndAuthor(f, sheet);
    BuildSheetRows(f, symbols, sheet);
    BuildLyrics(f, sheet);
    BuildPageTabs(f, tabs);
    BuildSoloPanels(f, solo);
    BuildNewerEditionPanel(f, songFiles);
    BuildPageStores(f, symbols, stores);
    BuildPlaybackState(f, playState);
    BuildSongFileTriggers(f, songFiles);
    chkAddChordName = HiddenCheck(f, "chkAddChordName", "Chord Names");
    // Enabled with a 1 ms interval by design; start-up switches it off before any event can be
    // handled.
    Timer1.SetInterval(1);
    Timer1.SetEnabled(true);
    BuildMenus(*this, menu);
}

}  // namespace strumwell
