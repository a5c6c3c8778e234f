#pragma once
// The printer's messages end a sentence with a reason taken from elsewhere (the print service,
// the file system), which may or may not end as a sentence does.

#include <string>

namespace platform {

// `reason` without trailing blanks, ending with one full stop, or with the "!" or "?" it ends with.
std::string EndOfSentence(std::string reason);

}  // namespace platform
