// The design of the three preview windows: one rule places the widgets of a row of the sheet from
// the row's left edge and top, and each window is a table of rows plus its texts and button.

#include "printing/preview_windows.h"

#include <array>
#include <string>
#include <utility>

namespace strumwell {

using forms::Font;
using forms::Geometry;

struct PreviewRow {
    int x0;               // left edge of cell 1
    int y0;               // top of the chord-name row
    int tabHeight;        // tab cells and clef box
    const char* clefBox;  // imgTab (element 0), imgLineStart or Picture3
    bool endsWithRepeat;  // else the continue sign
};

struct PreviewText {
    Geometry geometry;
    Font font;
    forms::Colour colour;
};

struct PreviewDesign {
    int clientWidth, clientHeight;
    std::vector<PreviewRow> rows;
    PreviewText title, author;
    std::vector<Geometry> lyrics;  // one a row
    Geometry button;
    Font buttonFont;
};

namespace {

constexpr forms::Colour kWhite = 0x00FFFFFF;
constexpr forms::Colour kBlue = 0x00FF0000;
constexpr forms::Colour kBlack = 0x00000000;
constexpr int kCells = 32;
const Font kClefLetterFont{"Verdana", 12, true};
const Font kLyricsFont{"Arial", 8.25, true};

const PreviewDesign kOnePage{
    9555, 6870,
    {{720, 2880, 1575, "imgTab", true}},
    {{1800, 360, 7335, 735}, {"Verdana", 24, false}, kBlue},
    {{1800, 1200, 7335, 480}, {"Verdana", 14.25, true}, kBlack},
    {{720, 5400, 8775, 255}},
    {240, 240, 1335, 1095}, {"Verdana", 9.75, true},
};

const PreviewDesign kTwoPages{
    9795, 7110,
    {{720, 1560, 1335, "imgTab", false}, {720, 4440, 1335, "imgLineStart", true}},
    {{2040, 120, 7695, 735}, {"Verdana", 24, false}, kBlue},
    {{2040, 840, 7695, 480}, {"Verdana", 12, true}, kBlack},
    {{600, 3720, 8775, 255}, {600, 6600, 8775, 255}},
    {240, 240, 1335, 1095}, {"Verdana", 9.75, true},
};

const PreviewDesign kThreePages{
    9795, 7800,
    {{1080, 480, 1335, "imgTab", false},
     {720, 2880, 1335, "imgLineStart", false},
     {720, 5280, 1335, "Picture3", true}},
    {{1440, 120, 3855, 375}, {"Verdana", 12, true}, kBlue},
    {{5400, 120, 4215, 360}, {"Verdana", 11.25, false}, kBlack},
    {{1080, 2640, 8775, 255}, {600, 5040, 9015, 255}, {720, 7440, 9015, 255}},
    {120, 120, 855, 1215}, {"Verdana", 8.25, true},
};

// Cells stand 240 twips apart, 15 twips narrower than they are wide, so each lies over the last
// column of the one before and the staff runs on; a bar's end leaves a 240-twip gap for its barline.
int CellLeft(int x0, int k) { return x0 + 240 * (k - 1) + 240 * ((k - 1) / 8); }

PictureBox EmptyElement(const forms::Form& form, const std::string& name)
{
    PictureBox box(form, name, {});
    box.SetVisible(false);
    return box;
}

}  // namespace

PrintPreviewWindow::PrintPreviewWindow(const PreviewDesign& design, const PreviewArtwork& art,
                                       const platform::Services& services)
    : forms::Form("Print Preview", design.clientWidth, design.clientHeight),
      services_(services),
      rowCount_(static_cast<int>(design.rows.size()))
{
    SetBackColor(kWhite);
    UnloadOnClose();
    const int last = kCells * rowCount_;
    imgTab.Reserve(0, last);
    imgChordName.Reserve(0, last);
    imgChordRhythm.Reserve(0, last);
    Label1.Reserve(0, 3 * rowCount_ - 1);
    Picture2.Reserve(0, 4 * rowCount_ - 1);
    imgChordName.Add(EmptyElement(*this, "imgChordName"));
    imgChordRhythm.Add(EmptyElement(*this, "imgChordRhythm"));
    for (int row = 1; row <= rowCount_; ++row)
        BuildRow(row, design.rows[static_cast<std::size_t>(row - 1)], art);

    lblNewTitle = Label(*this, "lblNewTitle", design.title.geometry, "");
    txtNewAuthor = TextBox(*this, "txtNewAuthor", design.author.geometry, "");
    for (int row = 1; row <= rowCount_; ++row) {
        const std::string name = rowCount_ == 1 ? "lblLyrics" : "lblLyricsPage" + std::to_string(row);
        lyrics_.emplace_back(*this, name, design.lyrics[static_cast<std::size_t>(row - 1)], "");
    }
    lblNewTitle.SetFont(design.title.font);
    lblNewTitle.SetForeColor(design.title.colour);
    txtNewAuthor.SetFont(design.author.font);
    txtNewAuthor.SetForeColor(design.author.colour);
    txtNewAuthor.SetBorder(false);
    txtNewAuthor.SetEnabled(false);
    for (Label& text : lyrics_) {
        text.SetFont(kLyricsFont);
        text.SetForeColor(kBlue);
    }
    // A long title or lyrics line is cut off at the label's edge, never broken onto a second line
    // that the label is too low to show.
    lblNewTitle.SetSingleLine(true);
    for (Label& text : lyrics_) text.SetSingleLine(true);

    Command1 = CommandButton(*this, "Command1", design.button, "Click Here To Print");
    Command1.SetFont(design.buttonFont);
    Command1.SetBackColor(forms::kSystemButtonColour);
    Command1.OnClick([this] { Command1_Click(); });
    Picture1 = PictureBox(*this, "Picture1", {});
    Picture1.SetVisible(false);
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

// Stacking as on the main window's sheet: the clef box, the cells left to right (each over the
// last column of the one before), the barlines over the bar ends, then the rhythm row and the
// chord-name row over the blank margins above the staff.
void PrintPreviewWindow::BuildRow(int row, const PreviewRow& design, const PreviewArtwork& art)
{
    const int x0 = design.x0;
    const int y0 = design.y0;
    const int tabTop = y0 + 840;

    PictureBox clef(*this, design.clefBox, {x0 - 480, tabTop, 495, design.tabHeight});
    clef.SetPicture(art.tabClef);
    static constexpr std::array<std::pair<const char*, int>, 3> kLetters{
        {{"T", 360}, {"A", 600}, {"B", 840}}};
    for (const auto& [letter, top] : kLetters) {
        Label label(clef, "Label1", {120, top, 200, 255}, letter);
        label.SetFont(kClefLetterFont);
        label.SetBackColor(kWhite);
        Label1.Add(label);
    }
    if (row == 1) imgTab.Add(clef);
    else if (row == 2) imgLineStart = clef;
    else Picture3 = clef;

    for (int k = 1; k <= kCells; ++k) {
        PictureBox cell(*this, "imgTab", {CellLeft(x0, k), tabTop, 255, design.tabHeight});
        cell.SetPicture(art.blankCell);
        imgTab.Add(cell);
    }
    for (int bar = 1; bar <= 4; ++bar) {
        PictureBox barline(*this, "Picture2", {x0 + 1920 + 2160 * (bar - 1), tabTop, 240, 1335});
        barline.SetPicture(bar < 4 ? art.barSeparator
                                   : design.endsWithRepeat ? art.repeatSign : art.continueSign);
        Picture2.Add(barline);
    }
    for (int k = 1; k <= kCells; ++k) {
        PictureBox rhythm(*this, "imgChordRhythm", {CellLeft(x0, k), y0 + 480, 255, 495});
        rhythm.SetBackColor(forms::kSystemWindowColour);
        imgChordRhythm.Add(rhythm);
    }
    for (int k = 1; k <= kCells; ++k)
        imgChordName.Add(PictureBox(*this, "imgChordName", {CellLeft(x0, k), y0, 255, 495}));
}

PictureBox& PrintPreviewWindow::ClefBox(int row)
{
    return row == 1 ? imgTab[0] : row == 2 ? imgLineStart : Picture3;
}

void PrintPreviewWindow::Form_Load() { Picture1.SetAutoSize(true); }

frmPrintPreview::frmPrintPreview(const PreviewArtwork& art, const platform::Services& services)
    : PrintPreviewWindow(kOnePage, art, services), lblLyrics(LyricsLabel(1))
{
}

frmPrintPreviewTwoPages::frmPrintPreviewTwoPages(const PreviewArtwork& art,
                                                 const platform::Services& services)
    : PrintPreviewWindow(kTwoPages, art, services),
      lblLyricsPage1(LyricsLabel(1)),
      lblLyricsPage2(LyricsLabel(2))
{
}

frmPrintPreviewThreePages::frmPrintPreviewThreePages(const PreviewArtwork& art,
                                                     const platform::Services& services)
    : PrintPreviewWindow(kThreePages, art, services),
      lblLyricsPage1(LyricsLabel(1)),
      lblLyricsPage2(LyricsLabel(2)),
      lblLyricsPage3(LyricsLabel(3))
{
}

// ---- the windows of the run ----

PrintPreviews::PrintPreviews(PreviewArtwork art, const platform::Services& services)
    : art_(std::move(art)), services_(services)
{
}

PrintPreviews::~PrintPreviews() = default;

template <class Window>
Window& PrintPreviews::Load(std::unique_ptr<Window>& slot)
{
    std::erase_if(unloaded_, [](const auto& window) { return !window->Printing(); });
    if (slot && !slot->Loaded()) {
        if (slot->Printing()) unloaded_.push_back(std::move(slot));
        slot.reset();
    }
    if (!slot) {
        slot = std::make_unique<Window>(art_, services_);
        slot->Form_Load();
    }
    return *slot;
}

frmPrintPreview& PrintPreviews::OnePage() { return Load(one_); }
frmPrintPreviewTwoPages& PrintPreviews::TwoPages() { return Load(two_); }
frmPrintPreviewThreePages& PrintPreviews::ThreePages() { return Load(three_); }

namespace {
template <class Window>
Window* IfLoaded(const std::unique_ptr<Window>& slot)
{
    return slot && slot->Loaded() ? slot.get() : nullptr;
}
}  // namespace

frmPrintPreview* PrintPreviews::LoadedOnePage() const { return IfLoaded(one_); }
frmPrintPreviewTwoPages* PrintPreviews::LoadedTwoPages() const { return IfLoaded(two_); }
frmPrintPreviewThreePages* PrintPreviews::LoadedThreePages() const { return IfLoaded(three_); }

}  // namespace strumwell
