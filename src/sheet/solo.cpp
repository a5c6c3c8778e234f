#include "sheet/strumwellfrm.h"

namespace strumwell {

void Strumwellfrm::lblChords_Click() {}
void Strumwellfrm::lblSolos_Click() {}
void Strumwellfrm::lblString_Click(int) {}
void Strumwellfrm::lblNoteName_Click(int) {}

}  // namespace strumwell
