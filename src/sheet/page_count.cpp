// The "Number of pages" menu: sets the song's page count, shows or hides the tabs, fixes the end
// barline and, when the page on show falls beyond the new count, stores it and shows the last
// page that remains. No store is ever emptied here: a page dropped by a smaller count comes back
// with a larger one.

#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::numberofpagesone_Click()
{
    EnableTabsExcept(1);
    tabs.lblTotalPages.SetCaption("1");
    tabs.Picture3.SetVisible(false);
    ShowEndBarline(true);
    for (const int page : {2, 3}) {
        if (tabs.lblCurrentPage.Caption() == std::to_string(page)) {
            StoreVisiblePage(page);
            ShowStoredPage(1);
            ColourTabs(1);
            tabs.lblCurrentPage.SetCaption("1");
            break;
        }
    }
}

void Strumwellfrm::numberofpagestwo_Click()
{
    if (tabs.lblTotalPages.Caption() == "3" && tabs.lblCurrentPage.Caption() == "3") {
        // Page 3 is on show and is about to be dropped: page 2 takes its place.
        ColourTabs(2);
        ShowEndBarline(true);
        tabs.lblCurrentPage.SetCaption("2");
        EnableTabsExcept(2);
        StoreVisiblePage(3);
        ForgetEffectiveChords();
        ShowStoredPage(2);
    }
    tabs.lblTotalPages.SetCaption("2");
    tabs.Picture3.SetVisible(true);
    tabs.lblPage3.SetVisible(false);
    const std::string& page = tabs.lblCurrentPage.Caption();
    if (page == "2") ShowEndBarline(true);
    else if (page == "1") ShowEndBarline(false);
}

void Strumwellfrm::numberofpagesthree_Click()
{
    tabs.lblTotalPages.SetCaption("3");
    tabs.Picture3.SetVisible(true);
    tabs.lblPage3.SetVisible(true);
    const std::string& page = tabs.lblCurrentPage.Caption();
    if (page == "1" || page == "2") ShowEndBarline(false);
}

}  // namespace strumwell
