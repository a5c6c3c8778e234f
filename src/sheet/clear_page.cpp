#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::clearpage_Click() {}
void Strumwellfrm::txtTitle_KeyPress(int&) {}
void Strumwellfrm::txtAuthor_KeyPress(int&) {}
void Strumwellfrm::txtLyrics_KeyPress(int&) {}

}  // namespace strumwell
