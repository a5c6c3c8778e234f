#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::chkOpen_Click() {}
void Strumwellfrm::CheckOpenVersion2_Click() {}

}  // namespace strumwell
