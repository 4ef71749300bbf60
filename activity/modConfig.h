#pragma once

#include <string>

// The server's machine-wide settings, read only.
namespace modConfig {

// The text of a string value under HKEY_LOCAL_MACHINE, as UTF-8, or the empty
// text when the key or value is missing, unreadable or not a string. Looks in
// the 64-bit view first, then in the 32-bit one. Opens and closes the store
// within the call; never throws.
std::string GetRegistryString(std::string KeyPath, std::string ValueName);

// The file those values are read from: the Wine prefix's system.reg; "" on
// Windows, where they come from the registry itself.
std::string SettingsFile();

}  // namespace modConfig
