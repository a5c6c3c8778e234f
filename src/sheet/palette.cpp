#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::lblA_Click() {}
void Strumwellfrm::lblAm_Click() {}
void Strumwellfrm::lblBm_Click() {}
void Strumwellfrm::lblC_Click() {}
void Strumwellfrm::lblD_Click() {}
void Strumwellfrm::lblDm_Click() {}
void Strumwellfrm::lblE_Click() {}
void Strumwellfrm::lblEm_Click() {}
void Strumwellfrm::lblF_Click() {}
void Strumwellfrm::lblG_Click() {}
void Strumwellfrm::lbl7th_Click() {}
void Strumwellfrm::lblRest_Click() {}

}  // namespace strumwell
