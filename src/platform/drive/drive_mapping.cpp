#include "platform/drive/drive_mapping.h"

#include <cctype>
#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

fs::path ExecutableFolder()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

bool IsDriveLetterPath(std::string_view path)
{
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

fs::path DriveCFolder()
{
    if (const char* overridden = std::getenv("STRUMWELL_DRIVE_C"); overridden && *overridden)
        return fs::path(overridden);
    std::error_code error;
#ifdef STRUMWELL_BUILD_DRIVE_C
    // The build tree's folder serves only programs that run from that build tree; an installed
    // copy uses its own share folder even where the build tree still exists.
    const fs::path buildTree(STRUMWELL_BUILD_DRIVE_C);
    const fs::path buildRoot = buildTree.parent_path();
    const fs::path exe = fs::weakly_canonical(ExecutableFolder(), error);
    const auto [root, inside] = std::mismatch(buildRoot.begin(), buildRoot.end(), exe.begin(), exe.end());
    if (root == buildRoot.end() && fs::is_directory(buildTree, error)) return buildTree;
    (void)inside;
#endif
    return ExecutableFolder() / ".." / "share" / "strumwell" / "drive_c";
}

fs::path ResolveWindowsPath(std::string_view windowsPath)
{
    if (!IsDriveLetterPath(windowsPath)) return fs::path(std::string(windowsPath));

    // Every drive letter stands for the same folder: the program only names drive C.
    fs::path resolved = DriveCFolder();
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t cut = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, cut);
        if (!part.empty() && part != ".") resolved /= std::string(part);
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return resolved;
}

}  // namespace platform
