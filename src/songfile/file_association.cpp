#include "songfile/file_association.h"

#include <charconv>
#include <limits>
#include <optional>

#include "platform/kernel/code_page.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "sheet/strumwellfrm.h"

namespace strumwell {

namespace FileAssociation {

namespace {

std::optional<std::int32_t> ToDword(const RegistryValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        if (*number < std::numeric_limits<std::int32_t>::min() ||
            *number > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
        return static_cast<std::int32_t>(*number);
    }
    const std::string& text = std::get<std::string>(value);
    std::int32_t out = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return out;
}

std::string AsText(const RegistryValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    return std::to_string(std::get<std::int64_t>(value));
}

}  // namespace

void RegisterFileType(platform::Registry& registry, const platform::ProgramFile& program,
                      const std::string& typeName, const std::string& extension,
                      const std::string& description, const std::string& iconPath)
{
    using platform::HKEY_CLASSES_ROOT;
    using platform::REG_SZ;
    const std::string command = program.Path + "\\" + program.EXEName + " %1";
    const std::string extensionKey = "." + extension;
    CreateRegistryKey(registry, extensionKey, HKEY_CLASSES_ROOT);
    SetRegistryValue(registry, extensionKey, "", typeName, REG_SZ);
    CreateRegistryKey(registry, typeName + "\\shell\\open\\command", HKEY_CLASSES_ROOT);
    CreateRegistryKey(registry, typeName + "\\DefaultIcon", HKEY_CLASSES_ROOT);
    SetRegistryValue(registry, typeName, "", description, REG_SZ);
    SetRegistryValue(registry, typeName + "\\shell\\open\\command", "", command, REG_SZ);
    SetRegistryValue(registry, typeName + "\\DefaultIcon", "", iconPath, REG_SZ);
}

void CreateRegistryKey(platform::Registry& registry, const std::string& keyPath, platform::HKEY root)
{
    platform::HKEY key = 0;
    std::uint32_t disposition = 0;
    registry.RegCreateKeyExA(root, platform::ToAnsiCodePage(keyPath), 0, nullptr,
                             platform::REG_OPTION_NON_VOLATILE, platform::kKeyAccess, nullptr, &key,
                             &disposition);
    registry.RegCloseKey(key);
}

void SetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                      const std::string& valueName, const RegistryValue& value,
                      std::uint32_t valueType)
{
    platform::HKEY key = 0;
    registry.RegOpenKeyExA(platform::HKEY_CLASSES_ROOT, platform::ToAnsiCodePage(keyPath), 0,
                           platform::kKeyAccess, &key);
    WriteRegistryValue(registry, key, valueName, valueType, value);
    registry.RegCloseKey(key);
}

long WriteRegistryValue(platform::Registry& registry, platform::HKEY key,
                        const std::string& valueName, std::uint32_t valueType,
                        const RegistryValue& value)
{
    const std::string name = platform::ToAnsiCodePage(valueName);
    if (valueType == platform::REG_SZ) {
        std::string data = platform::ToAnsiCodePage(AsText(value));
        data += '\0';
        return registry.RegSetValueExA(key, name, 0, platform::REG_SZ, data.data(),
                                       static_cast<std::uint32_t>(data.size()));
    }
    if (valueType == platform::REG_DWORD) {
        const auto number = ToDword(value);
        if (!number) return 0;
        const std::int32_t data = *number;
        return registry.RegSetValueExA(key, name, 0, platform::REG_DWORD, &data, sizeof data);
    }
    return 0;
}

}  // namespace FileAssociation

void Strumwellfrm::RegisterSongFileType()
{
    FileAssociation::RegisterFileType(*services.registry, platform::RunningProgram(),
                                      "Strumwell", "swl", "Strumwell File",
                                      "C:\\Program Files\\Fretlane\\DUVEDI.ico");
}

}  // namespace strumwell
