#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::Open_Click() {}
void Strumwellfrm::Save_Click() {}
void Strumwellfrm::chkOpenAuto_Click() {}
void Strumwellfrm::cmdUpdate_Click() {}
void Strumwellfrm::cmdCloseUpdate_Click() {}
void Strumwellfrm::WebLink_Click() {}
void Strumwellfrm::RegisterSongFileType() {}

}  // namespace strumwell
