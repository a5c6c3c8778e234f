#include "platform/registry/registry.h"

namespace platform {

long RecordingRegistry::RegCreateKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t,
                                        const char*, std::uint32_t dwOptions,
                                        std::uint32_t samDesired, const void*, HKEY* phkResult,
                                        std::uint32_t* lpdwDisposition)
{
    calls.push_back({"create", hKey, lpSubKey, samDesired, dwOptions, 0, {}});
    if (denyAll) return ERROR_ACCESS_DENIED;
    if (phkResult) *phkResult = next_++;
    if (lpdwDisposition) *lpdwDisposition = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

long RecordingRegistry::RegOpenKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t,
                                      std::uint32_t samDesired, HKEY* phkResult)
{
    calls.push_back({"open", hKey, lpSubKey, samDesired, 0, 0, {}});
    if (denyAll) return ERROR_ACCESS_DENIED;
    if (phkResult) *phkResult = next_++;
    return ERROR_SUCCESS;
}

long RecordingRegistry::RegSetValueExA(HKEY hKey, const std::string& lpValueName, std::uint32_t,
                                       std::uint32_t dwType, const void* lpData,
                                       std::uint32_t cbData)
{
    const auto* bytes = static_cast<const char*>(lpData);
    calls.push_back({"set", hKey, lpValueName, 0, 0, dwType,
                     bytes ? std::string(bytes, cbData) : std::string()});
    return denyAll || hKey == 0 ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
}

long RecordingRegistry::RegCloseKey(HKEY hKey)
{
    calls.push_back({"close", hKey, {}, 0, 0, 0, {}});
    return hKey == 0 ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
}

}  // namespace platform
