#pragma once
// The three print-preview windows. Each lays the song out as a printable sheet: the title, the
// author, one row of the sheet per page (chord names above, rhythm marks between, tab cells below,
// opened by a tab clef and closed by an end barline) and the lyrics of each page under its row.
// The print command fills a window and shows it; its button prints what the window shows, scaled
// to the paper. The three differ only in their design.

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/services.h"

namespace strumwell {

using forms::CommandButton;
using forms::ControlArray;
using forms::Label;
using forms::PictureBox;
using forms::TextBox;

// The main window's symbols that a preview's design shows, shared with it.
struct PreviewArtwork {
    forms::Picture blankCell;     // every tab cell at design: the empty staff
    forms::Picture tabClef;       // the clef boxes: the sheet's clef, its letters under labels
    forms::Picture barSeparator;  // bars 1 to 3 of every row
    forms::Picture repeatSign;    // the end of the last row
    forms::Picture continueSign;  // the end of every other row
};

// A window's design values: its size, its rows of the sheet, its texts and its button.
struct PreviewDesign;
struct PreviewRow;

class PrintPreviewWindow : public forms::Form {
public:
    ~PrintPreviewWindow() override;

    int RowCount() const { return rowCount_; }

    // Row r (1..RowCount), cell k at index 32(r-1)+k. imgTab(0) is the clef box of row 1;
    // elements 0 of the other two exist and stay empty.
    ControlArray<PictureBox> imgTab, imgChordName, imgChordRhythm;
    // Clef boxes of rows 2 and 3, on the windows that have those rows.
    PictureBox imgLineStart, Picture3;
    // "T", "A", "B" of each clef box: row r at 3(r-1) to 3(r-1)+2.
    ControlArray<Label> Label1;
    // Bar b (1..4) of row r at 4(r-1)+b-1.
    ControlArray<PictureBox> Picture2;
    Label lblNewTitle;
    TextBox txtNewAuthor;
    CommandButton Command1;
    PictureBox Picture1;  // hidden: the last capture

    // The lyrics label under row r (1..RowCount).
    Label& LyricsLabel(int row) { return lyrics_.at(static_cast<std::size_t>(row - 1)); }
    // The clef box that opens row r.
    PictureBox& ClefBox(int row);

    void Form_Load();
    void Command1_Click();
    // True while the print button's handler runs (it pumps events, in which the user may close
    // the window).
    bool Printing() const { return printing_; }

protected:
    PrintPreviewWindow(const PreviewDesign& design, const PreviewArtwork& art,
                       const platform::Services& services);

private:
    void BuildRow(int row, const PreviewRow& design, const PreviewArtwork& art);

    const platform::Services& services_;
    int rowCount_ = 0;
    std::vector<Label> lyrics_;
    bool printing_ = false;
};

class frmPrintPreview final : public PrintPreviewWindow {
public:
    frmPrintPreview(const PreviewArtwork& art, const platform::Services& services);
    Label& lblLyrics;
};

class frmPrintPreviewTwoPages final : public PrintPreviewWindow {
public:
    frmPrintPreviewTwoPages(const PreviewArtwork& art, const platform::Services& services);
    Label& lblLyricsPage1;
    Label& lblLyricsPage2;
};

class frmPrintPreviewThreePages final : public PrintPreviewWindow {
public:
    frmPrintPreviewThreePages(const PreviewArtwork& art, const platform::Services& services);
    Label& lblLyricsPage1;
    Label& lblLyricsPage2;
    Label& lblLyricsPage3;
};

// The preview windows of the run, one of each. A window is made and loaded the first time it is
// needed, and made and loaded afresh when it is needed after the user closed it.
class PrintPreviews {
public:
    PrintPreviews(PreviewArtwork art, const platform::Services& services);
    ~PrintPreviews();

    frmPrintPreview& OnePage();
    frmPrintPreviewTwoPages& TwoPages();
    frmPrintPreviewThreePages& ThreePages();

    // The window as it stands: nullptr before its first use and after the user closed it.
    frmPrintPreview* LoadedOnePage() const;
    frmPrintPreviewTwoPages* LoadedTwoPages() const;
    frmPrintPreviewThreePages* LoadedThreePages() const;

private:
    template <class Window>
    Window& Load(std::unique_ptr<Window>& slot);

    PreviewArtwork art_;
    const platform::Services& services_;
    std::unique_ptr<frmPrintPreview> one_;
    std::unique_ptr<frmPrintPreviewTwoPages> two_;
    std::unique_ptr<frmPrintPreviewThreePages> three_;
    // Closed windows whose print button was still at work; released at the next load.
    std::vector<std::unique_ptr<PrintPreviewWindow>> unloaded_;
};

}  // namespace strumwell
