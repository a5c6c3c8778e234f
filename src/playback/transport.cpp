#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::Check1_Click() {}
void Strumwellfrm::cmdPlay_Click() {}
void Strumwellfrm::chkPause_Click() {}
void Strumwellfrm::cmdStop_Click() {}
void Strumwellfrm::Timer1_Timer() {}
void Strumwellfrm::lblFaster_Click() {}
void Strumwellfrm::lblSlower_Click() {}

}  // namespace strumwell
