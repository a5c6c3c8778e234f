#pragma once
// Registration of the song file type, run at every start: the extension key names the type, the
// type key holds its description, its open command (the program file with " %1" for the song's
// path, nothing quoted) and its icon. All under HKEY_CLASSES_ROOT; nothing is read back or
// removed, and no result is looked at.

#include <cstdint>
#include <string>
#include <variant>

#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"

namespace strumwell::FileAssociation {

using RegistryValue = std::variant<std::string, std::int64_t>;

void RegisterFileType(platform::Registry& registry, const platform::ProgramFile& program,
                      const std::string& typeName, const std::string& extension,
                      const std::string& description, const std::string& iconPath);

// Creates (or opens) the key and closes it at once.
void CreateRegistryKey(platform::Registry& registry, const std::string& keyPath, platform::HKEY root);

// Opens the key under HKEY_CLASSES_ROOT, writes one value, closes the key.
void SetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                      const std::string& valueName, const RegistryValue& value,
                      std::uint32_t valueType);

// REG_SZ: the text in the code page with one NUL; REG_DWORD: a signed 32-bit number (a text that
// is no such number writes nothing). Any other type writes nothing. Returns the registry's result
// code, 0 when nothing was written.
long WriteRegistryValue(platform::Registry& registry, platform::HKEY key,
                        const std::string& valueName, std::uint32_t valueType,
                        const RegistryValue& value);

}  // namespace strumwell::FileAssociation
