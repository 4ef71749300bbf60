#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "registry_value.h"

namespace activity {

// Reads Wine's saved registry files ("WINE REGISTRY Version 2"), such as a
// prefix's system.reg, whose keys are relative to HKEY_LOCAL_MACHINE.
//
// Finds the value `valueName` ("" or "@" for the default value) of the key
// `keyPath` (backslash-separated; a trailing backslash names the key itself).
// Key and value names match case-insensitively. nullopt when the text is not a
// registry, or the key or value is missing.
std::optional<RegistryValue> FindWineRegistryValue(std::string_view regText,
                                                   std::string_view keyPath,
                                                   std::string_view valueName);

// `keyPath` without leading backslashes, which name no key: "\\SOFTWARE" is "SOFTWARE".
inline std::string_view WithoutLeadingBackslashes(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
    return keyPath;
}

// The same, for a registry file on disk: opened read-only, read whole, closed.
std::optional<RegistryValue> ReadWineRegistryValue(const std::string& regFile,
                                                   std::string_view keyPath,
                                                   std::string_view valueName);

}  // namespace activity
