#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::imgRest_Click(int) {}

}  // namespace strumwell
