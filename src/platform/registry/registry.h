#pragma once
// The registry calls the program makes on HKEY_CLASSES_ROOT: create or open a key, open a key,
// set a value, close a key. Key paths, value names and REG_SZ data are bytes in the ANSI code page
// (platform/kernel/code_page.h); key paths are compared without regard to letter case and are
// relative to the open key (or root) passed in. Results are the registry's error codes.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;

inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_OPTION_NON_VOLATILE = 0;
// Query value, set value, create subkey, enumerate subkeys, notify, create link.
inline constexpr std::uint32_t kKeyAccess = 0x3F;
inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;

class Registry {
public:
    virtual ~Registry() = default;
    // Creates the key with every missing parent, or opens it when it exists.
    virtual long RegCreateKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t Reserved,
                                 const char* lpClass, std::uint32_t dwOptions,
                                 std::uint32_t samDesired, const void* lpSecurityAttributes,
                                 HKEY* phkResult, std::uint32_t* lpdwDisposition) = 0;
    // Opens an existing key.
    virtual long RegOpenKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t ulOptions,
                               std::uint32_t samDesired, HKEY* phkResult) = 0;
    virtual long RegSetValueExA(HKEY hKey, const std::string& lpValueName, std::uint32_t Reserved,
                                std::uint32_t dwType, const void* lpData, std::uint32_t cbData) = 0;
    virtual long RegCloseKey(HKEY hKey) = 0;
};

// Test double: remembers every call with its arguments, in order, and answers like a registry
// that holds every key asked for. With `denyAll`, every create and open fails as for a user
// without write access, and so does every write.
class RecordingRegistry final : public Registry {
public:
    struct Call {
        std::string op;       // "create", "open", "set", "close"
        HKEY key = 0;         // the root or open key passed in
        std::string path;     // key path (create, open) or value name (set)
        std::uint32_t access = 0, options = 0, type = 0;
        std::string data;     // the bytes passed to a set, length as given
        bool operator==(const Call&) const = default;
    };
    long RegCreateKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t, const char*,
                         std::uint32_t dwOptions, std::uint32_t samDesired, const void*,
                         HKEY* phkResult, std::uint32_t* lpdwDisposition) override;
    long RegOpenKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t,
                       std::uint32_t samDesired, HKEY* phkResult) override;
    long RegSetValueExA(HKEY hKey, const std::string& lpValueName, std::uint32_t,
                        std::uint32_t dwType, const void* lpData, std::uint32_t cbData) override;
    long RegCloseKey(HKEY hKey) override;

    std::vector<Call> calls;
    bool denyAll = false;

private:
    HKEY next_ = 1;
};

}  // namespace platform
