#pragma once
// Whole reads and writes on an open file, through interrupted and short system calls.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::files {

// All of `bytes` written at `offset`, or at the file's position when it is negative; false with
// errno set where a write fails.
bool WriteAll(int fd, std::string_view bytes, off_t offset = -1);

// The file's bytes from its start to its end, or nothing with errno set where a read fails.
// Reading stops once more than `largest` bytes are in; the caller sees it by the size.
std::optional<std::string> ReadAll(int fd, std::size_t largest);

}  // namespace platform::files
