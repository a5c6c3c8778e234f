#include "sheet/held_messages.h"

#include <utility>

namespace strumwell {

void HeldMessages::Show(const std::string& text)
{
    if (holding_)
        held_.push_back(text);
    else
        box_.Show(text);
}

void HeldMessages::ShowHeldOnceShown(forms::Form& window)
{
    holding_ = false;
    if (held_.empty()) return;
    window.AfterShown([&box = box_, texts = std::exchange(held_, {})] {
        for (const std::string& text : texts) box.Show(text);
    });
}

}  // namespace strumwell
