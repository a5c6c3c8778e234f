// The fret buttons of solo mode: a click marks its fret, picks the note of the selected string at
// that fret and sounds it after the rest clip.

#include "sheet/strumwellfrm.h"

#include "sheet/clip_names.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

void Strumwellfrm::lblNoteName_Click(int Index)
{
    if (Index < 0 || Index >= kFrets) return;
    for (int f = 0; f < kFrets; ++f) solo.lblNoteName[f].SetBackColor(c::kIdle);
    solo.lblNoteName[Index].SetBackColor(c::kChoice);
    // One test per string, none stopping the others; exactly one string is orange.
    for (int n = 1; n <= kStrings; ++n) {
        if (solo.lblString[static_cast<std::size_t>(n)].BackColor() != c::kChoice) continue;
        PickNote(n, Index);
        LoadClip(clips::kRestClip);
        LoadClip(clips::NoteClip(n, Index));
    }
}

}  // namespace strumwell
