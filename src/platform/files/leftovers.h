#pragma once
// What a writer calls a file's new version while it writes it, and the removal of the new
// versions that writers killed part-way left behind.

#include <filesystem>
#include <string>

namespace platform::files {

// The start of the name of a new version of `fileName` written by process `processId`; six
// unique characters follow. The same for every write of that file by that process, so that a
// later write can tell its own leftovers from everything else in the folder.
std::string NewVersionPrefix(const std::string& fileName, long processId);

// Removes the new versions of `fileName` that writers killed part-way left in `folder`: plain
// files of this user, named as a writer names them, whose program has ended and which nobody
// holds. A writer holds its new version (flock) until it is in place.
void RemoveLeftovers(const std::filesystem::path& folder, const std::string& fileName);

}  // namespace platform::files
