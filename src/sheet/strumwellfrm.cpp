#include "sheet/strumwellfrm.h"

#include "platform/flash/flash_control.h"
#include "sheet/clip_names.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {
// The window's client area, in twips.
constexpr int kClientWidth = 11505;
constexpr int kClientHeight = 7860;

// The services given, but for the message box, which is `box`.
platform::Services WithMessageBox(platform::Services given, platform::MessageBox& box)
{
    given.messageBox = &box;
    return given;
}

}  // namespace

Strumwellfrm::Strumwellfrm(const platform::Services& platformServices, std::string commandLine,
                           std::string clipFolder)
    : forms::Form("Fretlane Strumwell", kClientWidth, kClientHeight),
      swfFlashScreen(*platformServices.flash),
      messages_(*platformServices.messageBox),
      services(WithMessageBox(platformServices, messages_)),
      commandLine_(std::move(commandLine)),
      clipFolder_(std::move(clipFolder))
{
    BuildSymbolLibrary();
    BuildWindowDesign();
    ConnectHandlers();
}

Strumwellfrm::~Strumwellfrm() = default;

// Every event of the design, bound to its handler.
void Strumwellfrm::ConnectHandlers()
{
    for (int k = 1; k <= 32; ++k) sheet.imgRest[k].OnClick([this, k] { imgRest_Click(k); });

    const std::array<std::pair<Label*, void (Strumwellfrm::*)()>, 12> paletteLabels{{
        {&palette.lblA, &Strumwellfrm::lblA_Click},   {&palette.lblAm, &Strumwellfrm::lblAm_Click},
        {&palette.lblBm, &Strumwellfrm::lblBm_Click}, {&palette.lblC, &Strumwellfrm::lblC_Click},
        {&palette.lblD, &Strumwellfrm::lblD_Click},   {&palette.lblDm, &Strumwellfrm::lblDm_Click},
        {&palette.lblE, &Strumwellfrm::lblE_Click},   {&palette.lblEm, &Strumwellfrm::lblEm_Click},
        {&palette.lblF, &Strumwellfrm::lblF_Click},   {&palette.lblG, &Strumwellfrm::lblG_Click},
        {&palette.lbl7th, &Strumwellfrm::lbl7th_Click}, {&palette.lblRest, &Strumwellfrm::lblRest_Click},
    }};
    for (const auto& [label, handler] : paletteLabels)
        label->OnClick([this, h = handler] { (this->*h)(); });

    noteLength.lblCrotchet.OnClick([this] { lblCrotchet_Click(); });
    noteLength.lblQuaver.OnClick([this] { lblQuaver_Click(); });
    palette.lblChords.OnClick([this] { lblChords_Click(); });
    palette.lblSolos.OnClick([this] { lblSolos_Click(); });
    for (int n = 1; n <= kStrings; ++n)
        solo.lblString[static_cast<std::size_t>(n)].OnClick([this, n] { lblString_Click(n); });
    for (int fret = 0; fret < kFrets; ++fret)
        solo.lblNoteName[fret].OnClick([this, fret] { lblNoteName_Click(fret); });

    tabs.lblPage1.OnClick([this] { lblPage1_Click(); });
    tabs.lblPage2.OnClick([this] { lblPage2_Click(); });
    tabs.lblPage3.OnClick([this] { lblPage3_Click(); });
    menu.numberofpagesone.OnClick([this] { numberofpagesone_Click(); });
    menu.numberofpagestwo.OnClick([this] { numberofpagestwo_Click(); });
    menu.numberofpagesthree.OnClick([this] { numberofpagesthree_Click(); });
    menu.clearpage.OnClick([this] { clearpage_Click(); });
    sheet.txtTitle.OnKeyPress([this](int& key) { txtTitle_KeyPress(key); });
    sheet.txtAuthor.OnKeyPress([this](int& key) { txtAuthor_KeyPress(key); });
    sheet.txtLyrics.OnKeyPress([this](int& key) { txtLyrics_KeyPress(key); });

    playState.Check1.OnClick([this] { Check1_Click(); });
    transport.cmdPlay.OnClick([this] { cmdPlay_Click(); });
    transport.chkPause.OnClick([this] { chkPause_Click(); });
    transport.cmdStop.OnClick([this] { cmdStop_Click(); });
    Timer1.OnTimer([this] { Timer1_Timer(); });
    tempo.lblFaster.OnClick([this] { lblFaster_Click(); });
    tempo.lblSlower.OnClick([this] { lblSlower_Click(); });

    songFiles.chkOpen.OnClick([this] { chkOpen_Click(); });
    songFiles.CheckOpenVersion2.OnClick([this] { CheckOpenVersion2_Click(); });
    songFiles.chkOpenAuto.OnClick([this] { chkOpenAuto_Click(); });
    songFiles.cmdUpdate.OnClick([this] { cmdUpdate_Click(); });
    songFiles.cmdCloseUpdate.OnClick([this] { cmdCloseUpdate_Click(); });
    menu.Open.OnClick([this] { Open_Click(); });
    menu.Save.OnClick([this] { Save_Click(); });
    menu.WebLink.OnClick([this] { WebLink_Click(); });
    menu.Print.OnClick([this] { Print_Click(); });
    OnQueryUnload([this](int& cancel) { Form_QueryUnload(cancel); });
    sheet.txtTitle.SetInsertFilter(&Strumwellfrm::WithoutCommas);
    sheet.txtAuthor.SetInsertFilter(&Strumwellfrm::WithoutCommas);
    sheet.txtLyrics.SetInsertFilter(&Strumwellfrm::WithoutCommas);
}

}  // namespace strumwell
