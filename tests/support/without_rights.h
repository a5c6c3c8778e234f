#pragma once
// A user without root's rights, for files a user may not read or write. The tests run as root in
// CI, who may read and write anything; there the file-system calls made while a WithoutRights
// lives run as "nobody" (the effective ids only, so root's come back after). Run by anyone else,
// the calls stay that user's, whom modes alone already keep out.

#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <sys/types.h>
#include <unistd.h>

namespace strumwell::testing {

class WithoutRights {
public:
    // Nothing to become, or nothing that can be: the test cannot be made.
    static bool Possible() { return ::geteuid() != 0 || ::getpwnam("nobody") != nullptr; }

    // The ids the calls run as.
    static uid_t Uid() { return ::geteuid() == 0 ? ::getpwnam("nobody")->pw_uid : ::geteuid(); }
    static gid_t Gid() { return ::geteuid() == 0 ? ::getpwnam("nobody")->pw_gid : ::getegid(); }

    // Hands a file or a whole folder to that user (a no-op when not root).
    static void Give(const std::filesystem::path& path)
    {
        if (::geteuid() != 0) return;
        const uid_t uid = Uid();
        const gid_t gid = Gid();
        ASSERT_EQ(::lchown(path.c_str(), uid, gid), 0) << path;
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(path))) return;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
            ASSERT_EQ(::lchown(entry.path().c_str(), uid, gid), 0) << entry.path();
        }
    }

    WithoutRights()
    {
        if (::geteuid() != 0) return;
        const uid_t uid = Uid();
        const gid_t gid = Gid();
        if (::setegid(gid) != 0) {
            ADD_FAILURE() << "could not take nobody's group";
            return;
        }
        if (::seteuid(uid) != 0) {
            ::setegid(0);
            ADD_FAILURE() << "could not become nobody";
            return;
        }
        switched_ = true;
    }
    ~WithoutRights()
    {
        if (!switched_) return;
        EXPECT_EQ(::seteuid(0), 0);
        EXPECT_EQ(::setegid(0), 0);
    }
    WithoutRights(const WithoutRights&) = delete;
    WithoutRights& operator=(const WithoutRights&) = delete;

private:
    bool switched_ = false;
};

}  // namespace strumwell::testing
