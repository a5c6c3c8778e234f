#include "platform/printer/sentence.h"

#include <string_view>

namespace platform {

std::string EndOfSentence(std::string reason)
{
    while (!reason.empty() && std::string_view(" \t\r\n").find(reason.back()) != std::string_view::npos)
        reason.pop_back();
    if (reason.empty() || std::string_view(".!?").find(reason.back()) == std::string_view::npos) reason += '.';
    return reason;
}

}  // namespace platform
