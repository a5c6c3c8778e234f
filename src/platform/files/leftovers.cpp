#include "platform/files/leftovers.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

// 64-bit FNV-1a: the same in every run, so a later program finds an earlier one's leftovers.
std::uint64_t NameHash(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The process id in the name of an earlier writer's new version of `fileName`, or nothing when
// the name is not one.
std::optional<long> LeftoverOf(const std::string& name, const std::string& fileName)
{
    const std::string start = NewVersionPrefix(fileName, 0);
    const std::string head = start.substr(0, start.size() - 2);  // up to ".saving."
    if (name.compare(0, head.size(), head) != 0) return std::nullopt;
    const std::string rest = name.substr(head.size());  // "<pid>.XXXXXX"
    const auto dot = rest.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 10 || rest.size() != dot + 7) return std::nullopt;
    long pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return std::nullopt;
        pid = pid * 10 + (rest[i] - '0');
    }
    for (std::size_t i = dot + 1; i < rest.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(rest[i]))) return std::nullopt;
    return pid;
}

bool StillRunning(long pid)
{
    if (pid == ::getpid()) return false;  // ours: its lock tells whether that write still runs
    if (pid <= 0 || pid > INT_MAX) return true;  // no process of ours: left alone
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

// A name too long for the folder's limit is cut and a hash of the whole name follows the cut, so
// that two long names sharing their start do not share a prefix; a cut name's part is longer than
// any uncut one's.
std::string NewVersionPrefix(const std::string& fileName, long processId)
{
    constexpr std::size_t kLongestTail = sizeof(".saving.") - 1 + 10 + 1 + 6;  // up to 10 digits
    constexpr std::size_t kLongestName = NAME_MAX - 1 - kLongestTail;
    constexpr std::size_t kHashLength = 1 + 16;  // "~" and 16 hex digits
    std::string name = fileName;
    if (name.size() > kLongestName - kHashLength) {
        char hash[kHashLength + 1];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(NameHash(fileName)));
        name = fileName.substr(0, kLongestName - kHashLength) + hash;
    }
    return "." + name + ".saving." + std::to_string(processId) + ".";
}

void RemoveLeftovers(const std::filesystem::path& folder, const std::string& fileName)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<long> pid = LeftoverOf(name, fileName);
        if (!pid || StillRunning(*pid)) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

}  // namespace platform::files
