// The visible widgets' design values: position, size, caption (leading blanks included), colour.

#include "support/window_fixture.h"

#include "sheet/state_colours.h"

namespace strumwell::testing {
namespace {

namespace c = colours;

std::string CaptionOf(const Label& label) { return label.Caption(); }
std::string CaptionOf(const CommandButton& button) { return button.Caption(); }
std::string CaptionOf(const CheckBox& box) { return box.Caption(); }
std::string CaptionOf(const forms::Control&) { return {}; }

struct Design {
    template <class T>
    Design(const char* n, const T& c, int l, int t, int w, int h, std::string cap, forms::Colour b,
           double pt)
        : name(n), control(c), actualCaption(CaptionOf(c)), left(l), top(t), width(w), height(h),
          caption(std::move(cap)), back(b), points(pt)
    {
    }
    const char* name;
    const forms::Control& control;
    std::string actualCaption;
    int left, top, width, height;
    std::string caption;
    forms::Colour back;
    double points;
};

class DesignValues : public WindowTest {};

TEST_F(DesignValues, VisibleWidgets)
{
    const auto& p = w().palette;
    const auto& n = w().noteLength;
    const auto& t = w().transport;
    const auto& s = w().solo;
    const auto& u = w().songFiles;
    const std::vector<Design> rows{
        {"lblE", p.lblE, 0, 0, 495, 375, " E", c::kMajorChord, 14.25},
        {"lblA", p.lblA, 0, 480, 495, 375, " A", c::kMajorChord, 14.25},
        {"lblD", p.lblD, 0, 960, 495, 375, " D", c::kMajorChord, 14.25},
        {"lblG", p.lblG, 0, 1440, 495, 375, " G", c::kMajorChord, 14.25},
        {"lblC", p.lblC, 0, 1920, 495, 375, " C", c::kMajorChord, 14.25},
        {"lblF", p.lblF, 0, 2400, 495, 375, " F", c::kMajorChord, 14.25},
        {"lblEm", p.lblEm, 600, 0, 495, 375, "Em", c::kMinorChord, 14.25},
        {"lblAm", p.lblAm, 600, 480, 495, 375, "Am", c::kMinorChord, 14.25},
        {"lblDm", p.lblDm, 600, 960, 495, 375, "Dm", c::kMinorChord, 14.25},
        {"lblBm", p.lblBm, 600, 1440, 495, 375, "Bm", c::kMinorChord, 14.25},
        {"lbl7th", p.lbl7th, 600, 1920, 1095, 375, "  7th", c::kSeventhOff, 14.25},
        {"lblRest", p.lblRest, 120, 3840, 1095, 375, " REST", c::kSelected, 14.25},
        {"Picture2", p.Picture2, 240, 600, 1815, 2775, "", c::kPlain, 8.25},
        {"Frame10", p.Frame10, 120, 120, 2895, 255, "", c::kPlain, 8.25},
        {"lblChords", p.lblChords, 0, 0, 1215, 255, "   CHORDS", c::kChoice, 8.25},
        {"lblSolos", p.lblSolos, 1200, 0, 1455, 255, "  SOLO NOTES", c::kIdle, 8.25},
        {"imgClickedChord", p.imgClickedChord, 4680, 3240, 255, 1575, "", c::kPlain, 8.25},
        {"pctBlankTab1", p.pctBlankTab1, 4440, 3240, 240, 1335, "", c::kPlain, 8.25},
        {"pctBlankTab", p.pctBlankTab, 4920, 3240, 255, 1335, "", c::kPlain, 8.25},
        {"Picture1", n.Picture1, 1320, 3600, 3015, 735, "", c::kPlain, 8.25},
        {"lblCrotchet", n.lblCrotchet, 0, 0, 2535, 375, "CROTCHET (1 count)", c::kActive, 9.75},
        {"lblQuaver", n.lblQuaver, 0, 360, 2535, 375, "QUAVER (quick note)", c::kIdle, 9.75},
        {"pictureNoteLengthSelect", n.pictureNoteLengthSelect, 2640, 120, 375, 495, "", c::kPlain, 8.25},
        {"cmdStop", t.cmdStop, 10080, 1920, 1215, 735, "STOP", c::kIdle, 9.75},
        {"chkPause", t.chkPause, 10080, 2640, 1215, 735, "PAUSE", c::kIdle, 9.75},
        {"cmdPlay", t.cmdPlay, 10080, 3360, 1215, 855, "PLAY", c::kIdle, 9.75},
        {"lblPlayingCaption", t.lblPlayingCaption, 480, 1200, 975, 375, " playing...", c::kPlain, 8.25},
        {"lblFaster", w().tempo.lblFaster, 9000, 600, 855, 255, "   Faster", c::kFaster, 8.25},
        {"lblSpeed", w().tempo.lblSpeed, 9120, 2160, 615, 2055, " Speed", c::kSpeedBar, 8.25},
        {"lblSlower", w().tempo.lblSlower, 9020, 4300, 855, 255, "  Slower", c::kSlower, 8.25},
        {"pctSoloButtons1", s.pctSoloButtons1, 120, 480, 1335, 3015, "", forms::kSystemWindowColour, 8.25},
        {"pctSoloButtons2", s.pctSoloButtons2, 120, 2520, 4935, 855, "", forms::kSystemWindowColour, 8.25},
        {"lblString1", s.lblString[1], 120, 120, 1095, 255, "1st String", c::kChoice, 8.25},
        {"lblString6", s.lblString[6], 120, 1320, 1095, 255, "6th String", forms::kSystemWindowColour, 8.25},
        {"lblNoteName(0)", s.lblNoteName[0], 120, 120, 300, 495, " E   0", c::kIdle, 8.25},
        {"lblNoteName(10)", s.lblNoteName[10], 3720, 120, 285, 495, " D  10", c::kIdle, 8.25},
        {"lblNoteName(12)", s.lblNoteName[12], 4440, 120, 300, 495, " E  12", c::kIdle, 8.25},
        {"Picture3", w().tabs.Picture3, 10080, 5640, 1455, 1455, "", c::kPlain, 8.25},
        {"lblPage1", w().tabs.lblPage1, 0, 0, 735, 255, " Page 1", c::kActive, 8.25},
        {"lblPage2", w().tabs.lblPage2, 240, 360, 735, 255, " Page 2", forms::kSystemWindowColour, 8.25},
        {"lblPage3", w().tabs.lblPage3, 480, 720, 735, 255, " Page 3", forms::kSystemWindowColour, 8.25},
        {"Label1", w().sheet.Label1, 480, 6840, 495, 255, "Lyrics", c::kPlain, 8.25},
        {"lblTitle", w().sheet.lblTitle, 3120, 120, 375, 255, "Title", c::kPlain, 8.25},
        {"lblAuthor", w().sheet.lblAuthor, 6480, 120, 495, 375, "Author", c::kPlain, 8.25},
        {"pctUpdate", u.pctUpdate, 2400, 600, 6255, 15, "", c::kUpdatePanel, 8.25},
        {"Label2", u.Label2, 480, 120, 5295, 375, "This file was made with a newer version of the Strumwell.",
         c::kUpdatePanel, 8.25},
        {"Label3", u.Label3, 720, 360, 4815, 375, "Would you like to download the newer version now?",
         c::kUpdatePanel, 8.25},
        {"cmdUpdate", u.cmdUpdate, 720, 840, 1695, 375, "Yes, download now.", 0x8000000F, 8.25},
        {"cmdCloseUpdate", u.cmdCloseUpdate, 3360, 840, 1575, 375, "No, thankyou.", 0x8000000F, 8.25},
    };
    for (const Design& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control.Left(), row.left);
        EXPECT_EQ(row.control.Top(), row.top);
        EXPECT_EQ(row.control.Width(), row.width);
        EXPECT_EQ(row.control.Height(), row.height);
        EXPECT_EQ(row.actualCaption, row.caption);
        EXPECT_EQ(row.control.BackColor(), row.back);
        EXPECT_DOUBLE_EQ(row.control.GetFont().points, row.points);
    }
    EXPECT_EQ(w().sheet.txtLyrics.GetFont().name, "Arial");
    EXPECT_EQ(w().sheet.txtTitle.ForeColor(), c::kBlueText);
    EXPECT_EQ(w().sheet.txtAuthor.ForeColor(), c::kRedText);
    EXPECT_EQ(w().sheet.txtLyrics.ForeColor(), c::kBlueText);
    EXPECT_EQ(w().tabs.lblPage2.ForeColor(), c::kBlueText);
    EXPECT_EQ(w().solo.lblNoteName[3].ForeColor(), c::kFretText);
    EXPECT_EQ(w().transport.lblPlayingCaption.ForeColor(), c::kRedText);
}

}  // namespace
}  // namespace strumwell::testing
