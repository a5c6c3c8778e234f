#include "sheet/strumwellfrm.h"

namespace strumwell {

RowBinding Strumwellfrm::VisibleRows()
{
    return {&sheet.imgRest, &sheet.imgNoteRhythm, &sheet.imgChordName, &sheet.lblChordNameCheck};
}

RowBinding Strumwellfrm::StoreRows(int page)
{
    const auto p = static_cast<std::size_t>(page);
    ControlArray<Label>* effective = page == 2   ? &stores.lblChordNameCheckpage2
                                     : page == 3 ? &stores.lblChordNameCheckpage3
                                                 : nullptr;
    return {&stores.imgPage[p], &stores.imgRhythmPage[p], &stores.imgChordPage[p], effective};
}

void Strumwellfrm::DeriveChordNameRow(const RowBinding&, const std::function<void()>&) {}

}  // namespace strumwell
