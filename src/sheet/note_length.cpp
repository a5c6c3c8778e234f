#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::lblCrotchet_Click() {}
void Strumwellfrm::lblQuaver_Click() {}

}  // namespace strumwell
