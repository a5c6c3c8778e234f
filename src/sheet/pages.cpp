#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::StoreVisiblePage(int) {}
void Strumwellfrm::ShowStoredPage(int) {}
void Strumwellfrm::ClearPageStore(int) {}
void Strumwellfrm::lblPage1_Click() {}
void Strumwellfrm::lblPage2_Click() {}
void Strumwellfrm::lblPage3_Click() {}
void Strumwellfrm::numberofpagesone_Click() {}
void Strumwellfrm::numberofpagestwo_Click() {}
void Strumwellfrm::numberofpagesthree_Click() {}

}  // namespace strumwell
