#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::Print_Click() {}

}  // namespace strumwell
