// The window design: every widget of the main window with its design values, created in stacking
// order (a widget created later lies above the ones before it).

#include "sheet/strumwellfrm.h"

#include "platform/flash/flash_control.h"
#include "resources/symbol_art.h"
#include "sheet/chord_labels.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include <QImage>

namespace strumwell {

namespace c = colours;
using forms::Font;
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

PictureBox Reference(const forms::Container& parent, const std::string& name, const QImage& image)
{
    PictureBox box(parent, name, {0, 0, image.width() * 15, image.height() * 15});
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
    const Form& f = *this;
    SetFont(kVerdanaBold);
    SetIcon(Picture(art::WindowIcon()));

    // Lies under the chord palette; seen only while PLAY has hidden the palette in chord mode.
    transport.lblPlayingCaption = Label(f, "lblPlayingCaption", {480, 1200, 975, 375}, " playing...");
    transport.lblPlayingCaption.SetForeColor(c::kRedText);

    // Mode selector.
    palette.Frame10 = Frame(f, "Frame10", {120, 120, 2895, 255});
    palette.lblChords = Label(palette.Frame10, "lblChords", {0, 0, 1215, 255}, "   CHORDS");
    palette.lblChords.SetBackColor(c::kChoice);
    palette.lblSolos = Label(palette.Frame10, "lblSolos", {1200, 0, 1455, 255}, "  SOLO NOTES");
    palette.lblSolos.SetBackColor(c::kIdle);

    // Chord palette.
    palette.Picture2 = PictureBox(f, "Picture2", {240, 600, 1815, 2775});
    const PictureBox& p2 = palette.Picture2;
    for (const auto& [row, left, top] : kChordLabelPlaces) {
        const ChordLabel& chord = kChordLabels[row];
        palette.*chord.label = PaletteLabel(p2, "lbl" + std::string(chord.plain), {left, top, 495, 375},
                                            std::string(chord.caption), chord.resting);
    }
    palette.lbl7th = PaletteLabel(p2, "lbl7th", {600, 1920, 1095, 375}, "  7th", c::kSeventhOff);
    palette.lblRest = PaletteLabel(f, "lblRest", {120, 3840, 1095, 375}, " REST", c::kRestLabel);

    // Note-length selector.
    noteLength.Picture1 = PictureBox(f, "Picture1", {1320, 3600, 3015, 735});
    noteLength.Picture1.SetPicture(Picture(art::NoteLengthBackground()));
    noteLength.lblCrotchet =
        Label(noteLength.Picture1, "lblCrotchet", {0, 0, 2535, 375}, "CROTCHET (1 count)");
    noteLength.lblCrotchet.SetFont(kVerdanaMedium);
    noteLength.lblCrotchet.SetBackColor(c::kActive);
    noteLength.lblQuaver =
        Label(noteLength.Picture1, "lblQuaver", {0, 360, 2535, 375}, "QUAVER (quick note)");
    noteLength.lblQuaver.SetFont(kVerdanaMedium);
    noteLength.lblQuaver.SetBackColor(c::kIdle);
    noteLength.pictureNoteLengthSelect =
        PictureBox(noteLength.Picture1, "pictureNoteLengthSelect", {2640, 120, 375, 495});
    noteLength.pictureNoteLengthSelect.SetPicture(Picture(art::RhythmMark(art::Mark::Crotchet, true)));

    // The current pick between two blank cells; its design picture is a copy of the rest's artwork.
    palette.pctBlankTab1 = PictureBox(f, "pctBlankTab1", {4440, 3240, 240, 1335});
    palette.pctBlankTab1.SetPicture(Picture(art::Blank()));
    palette.imgClickedChord = PictureBox(f, "imgClickedChord", {4680, 3240, 255, 1575});
    palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    palette.imgClickedChord.SetPicture(Picture(art::CrotchetRest()));
    // Above the pick, so the pick's empty last column does not break the staff.
    palette.pctBlankTab = PictureBox(f, "pctBlankTab", {4920, 3240, 255, 1335});
    palette.pctBlankTab.SetPicture(Picture(art::Blank()));

    // Transport.
    transport.cmdStop = CommandButton(f, "cmdStop", {10080, 1920, 1215, 735}, "STOP");
    transport.chkPause =
        CheckBox(f, "chkPause", {10080, 2640, 1215, 735}, "PAUSE", CheckBox::Style::Graphical);
    transport.cmdPlay = CommandButton(f, "cmdPlay", {10080, 3360, 1215, 855}, "PLAY");
    for (forms::Control* button : std::initializer_list<forms::Control*>{
             &transport.cmdStop, &transport.chkPause, &transport.cmdPlay}) {
        button->SetFont(kVerdanaMedium);
        button->SetBackColor(c::kIdle);
    }
    transport.cmdStop.SetEnabled(false);
    transport.chkPause.SetEnabled(false);

    // Tempo.
    tempo.lblFaster = Label(f, "lblFaster", {9000, 600, 855, 255}, "   Faster");
    tempo.lblFaster.SetBackColor(c::kFaster);
    tempo.lblSpeed = Label(f, "lblSpeed", {9120, 2160, 615, 2055}, " Speed");
    tempo.lblSpeed.SetBackColor(c::kSpeedBar);
    tempo.lblSlower = Label(f, "lblSlower", {9020, 4300, 855, 255}, "  Slower");
    tempo.lblSlower.SetBackColor(c::kSlower);

    // Title and author.
    sheet.lblTitle = Label(f, "lblTitle", {3120, 120, 375, 255}, "Title");
    sheet.txtTitle = TextBox(f, "txtTitle", {3600, 120, 2775, 285}, "");
    sheet.txtTitle.SetForeColor(c::kBlueText);
    sheet.lblAuthor = Label(f, "lblAuthor", {6480, 120, 495, 375}, "Author");
    sheet.txtAuthor = TextBox(f, "txtAuthor", {7080, 120, 2415, 285}, "");
    sheet.txtAuthor.SetForeColor(c::kRedText);

    // The sheet: tab row, then the rhythm row above it (its marks reach down to the staff's top
    // margin), then the chord-name row.
    sheet.imgRest.Reserve(0, 32);
    sheet.imgNoteRhythm.Reserve(0, 32);
    sheet.imgChordName.Reserve(0, 32);
    sheet.lblChordNameCheck.Reserve(0, 33);
    sheet.imgBarline.Reserve(0, 3);
    PictureBox clef(f, "imgRest", {600, 5400, 495, 1335});
    clef.SetPicture(Picture(art::TabClef()));
    clef.SetBackColor(forms::kSystemWindowColour);
    clef.SetToolTipText("Tab");
    clef.SetEnabled(false);
    sheet.imgRest.Add(clef);
    for (int k = 1; k <= 32; ++k) {
        PictureBox cell(f, "imgRest", {CellLeft(k), 5400, 255, 1335});
        cell.SetBackColor(forms::kSystemWindowColour);
        sheet.imgRest.Add(cell);
    }
    const Picture plainBarline(art::BarlinePlain());
    const std::array<int, 4> barlineLefts{3000, 5160, 7320, 9480};
    for (int i = 0; i < 4; ++i) {
        PictureBox bar(f, "imgBarline", {barlineLefts[static_cast<std::size_t>(i)], 5400, 240,
                                         i == 3 ? 1455 : 1335});
        bar.SetPicture(i == 3 ? symbols.pctBarlineRepeat.GetPicture() : plainBarline);
        sheet.imgBarline.Add(bar);
    }
    for (auto* row : {&sheet.imgNoteRhythm, &sheet.imgChordName}) {
        const bool rhythm = row == &sheet.imgNoteRhythm;
        row->Add(Hidden(PictureBox(f, rhythm ? "imgNoteRhythm" : "imgChordName", {})));
        for (int k = 1; k <= 32; ++k) {
            PictureBox cell(f, rhythm ? "imgNoteRhythm" : "imgChordName",
                            {CellLeft(k), rhythm ? 5040 : 4560, 255, 495});
            cell.SetBackColor(forms::kSystemWindowColour);
            row->Add(cell);
        }
    }
    for (int k = 0; k <= 33; ++k) sheet.lblChordNameCheck.Add(HiddenLabel(f, "lblChordNameCheck", ""));
    for (int k = 1; k <= 32; ++k) {
        if (k % 2 == 1) {
            ShowSymbol(sheet.imgRest[k], symbols.pictureCrotchetRest);
            sheet.imgRest[k].SetToolTipText(std::string(kCrotchetRestToken));
        } else {
            ShowSymbol(sheet.imgRest[k], symbols.pctBlank);
            sheet.imgRest[k].SetEnabled(false);
        }
    }

    // Lyrics.
    sheet.Label1 = Label(f, "Label1", {480, 6840, 495, 255}, "Lyrics");
    sheet.Label1.SetForeColor(c::kBlueText);
    sheet.txtLyrics = TextBox(f, "txtLyrics", {1080, 6840, 8535, 285}, "");
    sheet.txtLyrics.SetFont(kArialBold);
    sheet.txtLyrics.SetForeColor(c::kBlueText);

    // Page tabs.
    tabs.Picture3 = PictureBox(f, "Picture3", {10080, 5640, 1455, 1455});
    tabs.Picture3.SetVisible(false);
    tabs.lblPage1 = Label(tabs.Picture3, "lblPage1", {0, 0, 735, 255}, " Page 1");
    tabs.lblPage2 = Label(tabs.Picture3, "lblPage2", {240, 360, 735, 255}, " Page 2");
    tabs.lblPage3 = Label(tabs.Picture3, "lblPage3", {480, 720, 735, 255}, " Page 3");
    for (Label* tab : {&tabs.lblPage1, &tabs.lblPage2, &tabs.lblPage3}) {
        tab->SetFont(kSansSerifBold);
        tab->SetForeColor(c::kBlueText);
        tab->SetBackColor(forms::kSystemWindowColour);
    }
    tabs.lblPage1.SetBackColor(c::kActive);
    tabs.lblPage1.SetEnabled(false);
    tabs.lblCurrentPage = HiddenLabel(tabs.Picture3, "lblCurrentPage", "1");
    tabs.lblTotalPages = HiddenLabel(tabs.Picture3, "lblTotalPages", "1");

    // Solo panels: the string panel over the chord palette, the fret panel above both.
    solo.pctSoloButtons1 = PictureBox(f, "pctSoloButtons1", {120, 480, 1335, 3015});
    solo.pctSoloButtons1.SetBackColor(forms::kSystemWindowColour);
    solo.pctSoloButtons1.SetVisible(false);
    const std::array<const char*, 7> stringCaptions{
        "", "1st String", "2nd String", "3rd String", "4th String", "5th String", "6th String"};
    for (int n = 1; n <= kStrings; ++n) {
        Label& label = solo.lblString[static_cast<std::size_t>(n)];
        label = Label(solo.pctSoloButtons1, "lblString" + std::to_string(n),
                      {120, 120 + 240 * (n - 1), 1095, 255}, stringCaptions[static_cast<std::size_t>(n)]);
        label.SetBackColor(n == 1 ? c::kChoice : forms::kSystemWindowColour);
    }
    solo.pctSoloButtons2 = PictureBox(f, "pctSoloButtons2", {120, 2520, 4935, 855});
    solo.pctSoloButtons2.SetBackColor(forms::kSystemWindowColour);
    solo.pctSoloButtons2.SetVisible(false);
    solo.lblNoteName.Reserve(0, 12);
    for (int fret = 0; fret < kFrets; ++fret) {
        Label button(solo.pctSoloButtons2, "lblNoteName", {120 + 360 * fret, 120, fret == 10 ? 285 : 300, 495},
                     FretCaption(1, fret));
        button.SetBackColor(c::kIdle);
        button.SetForeColor(c::kFretText);
        solo.lblNoteName.Add(button);
    }

    // Newer-edition panel: hidden and 15 twips high until a newer file is opened.
    songFiles.pctUpdate = PictureBox(f, "pctUpdate", {2400, 600, 6255, 15});
    songFiles.pctUpdate.SetBackColor(c::kUpdatePanel);
    songFiles.pctUpdate.SetVisible(false);
    songFiles.Label2 = Label(songFiles.pctUpdate, "Label2", {480, 120, 5295, 375},
                             "This file was made with a newer version of the Strumwell.");
    songFiles.Label3 = Label(songFiles.pctUpdate, "Label3", {720, 360, 4815, 375},
                             "Would you like to download the newer version now?");
    for (Label* text : {&songFiles.Label2, &songFiles.Label3}) {
        text->SetBackColor(c::kUpdatePanel);
        text->SetFont(kArialBold);
    }
    songFiles.cmdUpdate = CommandButton(songFiles.pctUpdate, "cmdUpdate", {720, 840, 1695, 375},
                                        "Yes, download now.");
    songFiles.cmdCloseUpdate = CommandButton(songFiles.pctUpdate, "cmdCloseUpdate",
                                             {3360, 840, 1575, 375}, "No, thankyou.");
    for (CommandButton* button : {&songFiles.cmdUpdate, &songFiles.cmdCloseUpdate}) {
        button->SetFont(kSansSerif);
        button->SetBackColor(0x8000000F);
    }

    // Hidden state: page stores, playback flags, song-file triggers and the load buffer.
    for (int page = 1; page <= 3; ++page) {
        const auto p = static_cast<std::size_t>(page);
        stores.imgPage[p].Reserve(0, 32);
        stores.imgChordPage[p].Reserve(0, 32);
        stores.imgRhythmPage[p].Reserve(0, 32);
        const std::string suffix = std::to_string(page);
        for (int k = 0; k <= 32; ++k) {
            PictureBox cell = Hidden(PictureBox(f, "imgPage" + suffix, {}));
            if (k >= 1) {
                ShowSymbol(cell, k % 2 == 1 ? symbols.pictureCrotchetRest : symbols.pctBlank);
                cell.SetToolTipText(k % 2 == 1 ? std::string(kCrotchetRestToken) : std::string());
            }
            stores.imgPage[p].Add(cell);
            stores.imgChordPage[p].Add(Hidden(PictureBox(f, "imgChordPage" + suffix, {})));
            stores.imgRhythmPage[p].Add(Hidden(PictureBox(f, "imgRhythmPage" + suffix, {})));
        }
        stores.txtLyricsPage[p] = TextBox(f, "txtLyricsPage" + suffix, {}, "");
        stores.txtLyricsPage[p].SetVisible(false);
    }
    stores.lblChordNameCheckpage2.Reserve(0, 32);
    stores.lblChordNameCheckpage3.Reserve(0, 32);
    for (int k = 0; k <= 32; ++k) {
        stores.lblChordNameCheckpage2.Add(HiddenLabel(f, "lblChordNameCheckpage2", ""));
        stores.lblChordNameCheckpage3.Add(HiddenLabel(f, "lblChordNameCheckpage3", ""));
    }

    playState.lblConstant = HiddenLabel(f, "lblConstant", "1");
    playState.lblPauseOn = HiddenLabel(f, "lblPauseOn", "0");
    playState.lblPauseBar = HiddenLabel(f, "lblPauseBar", "1");
    playState.lblResetPlay = HiddenLabel(f, "lblResetPlay", "");
    playState.lblCurrentNoteValue = HiddenLabel(f, "lblCurrentNoteValue", "1");
    playState.lblTimer = HiddenLabel(f, "lblTimer", "");
    playState.lblNoteLengthStart = HiddenLabel(f, "lblNoteLengthStart", "1400");
    playState.cmdTimer = CommandButton(f, "cmdTimer", {}, "");
    playState.cmdTimer.SetVisible(false);
    playState.Check1 = HiddenCheck(f, "Check1", "PLAY");
    playState.chkStop = HiddenCheck(f, "chkStop", "0");

    songFiles.chkOpenAuto = HiddenCheck(f, "chkOpenAuto", "");
    songFiles.chkOpen = HiddenCheck(f, "chkOpen", "chkOpen");
    songFiles.CheckOpenVersion2 = HiddenCheck(f, "CheckOpenVersion2", "");
    songFiles.Text1.Reserve(0, 96);
    for (int i = 0; i <= 96; ++i) {
        TextBox box(f, "Text1", {}, "Text1");
        box.SetVisible(false);
        songFiles.Text1.Add(box);
    }
    songFiles.txtFileVersionNumber = TextBox(f, "txtFileVersionNumber", {}, "");
    songFiles.txtFileVersionNumber.SetVisible(false);
    chkAddChordName = HiddenCheck(f, "chkAddChordName", "Chord Names");

    // The step timer: enabled with a 1 ms interval by design; start-up switches it off before any
    // event can be handled.
    Timer1.SetInterval(1);
    Timer1.SetEnabled(true);

    // Menus.
    forms::Menu file = AddMenu("File", "File");
    menu.Open = file.AddItem("Open", "Open");
    menu.Print = file.AddItem("Print", "Print");
    menu.Save = file.AddItem("Save", "Save");
    forms::Menu pages = AddMenu("NumberOfPages", "Number of pages");
    menu.numberofpagesone = pages.AddItem("numberofpagesone", "1 page (4 bars)");
    menu.numberofpagestwo = pages.AddItem("numberofpagestwo", "2 pages (8 bars)");
    menu.numberofpagesthree = pages.AddItem("numberofpagesthree", "3 pages (12 bars)");
    forms::Menu options = AddMenu("Options", "Options");
    menu.clearpage = options.AddItem("clearpage", "Clear Page");
    menu.blank = options.AddItem("blank", "__________");
    menu.WebLink = options.AddItem("WebLink", "Visit Website");
}

}  // namespace strumwell
