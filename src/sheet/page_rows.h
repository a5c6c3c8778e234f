#pragma once
// The widgets that make up the rows of one page, so that one rule can be run on the visible page
// and on the page stores alike.

#include "platform/forms/forms.h"

namespace strumwell {

struct RowBinding {
    forms::ControlArray<forms::PictureBox>* cells;       // picture = cell symbol, tooltip = token
    forms::ControlArray<forms::PictureBox>* rhythm;      // rhythm marks
    forms::ControlArray<forms::PictureBox>* chordNames;  // chord-name pictures
    forms::ControlArray<forms::Label>* effectiveChords;  // captions = effective chord of each cell
};

}  // namespace strumwell
