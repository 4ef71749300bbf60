#include <windows.h>

#include "modConfig.h"
#include "registry_value.h"

namespace modConfig {

namespace {

LPCWSTR Wide(const std::u16string& text) {
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

// One value from one registry view, read with the key open only for the call.
bool ReadValue(const std::u16string& keyPath, const std::u16string& valueName, REGSAM view,
               activity::RegistryValue& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(keyPath), 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    bool found = false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, Wide(valueName), nullptr, &type, nullptr, &size);
    // The server may rewrite the value between the two calls; a few tries cover it.
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
        value.data.assign(size, 0);
        status = RegQueryValueExW(key, Wide(valueName), nullptr, &type, value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            value.type = type;
            found = true;
            break;
        }
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return found;
}

std::string Expand(const std::string& text) {
    const std::u16string source = activity::Utf8ToUtf16(text);
    std::u16string expanded(256, u'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed =
            ExpandEnvironmentStringsW(Wide(source), reinterpret_cast<LPWSTR>(expanded.data()),
                                      static_cast<DWORD>(expanded.size()));
        if (needed == 0) return {};
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);  // the count includes the terminator
            return activity::Utf16ToUtf8(expanded);
        }
        expanded.assign(needed, u'\0');
    }
    return {};
}

}  // namespace

std::string GetRegistryString(std::string KeyPath, std::string ValueName) {
    const std::u16string keyPath = activity::Utf8ToUtf16(KeyPath);
    const std::u16string valueName = activity::Utf8ToUtf16(ValueName);
    activity::RegistryValue value;
    if (!ReadValue(keyPath, valueName, KEY_WOW64_64KEY, value) &&
        !ReadValue(keyPath, valueName, KEY_WOW64_32KEY, value)) {
        return {};
    }
    std::string text = activity::RegistryText(value);
    if (value.type == REG_EXPAND_SZ && !text.empty()) return Expand(text);
    return text;
}

std::string SettingsFile() {
    return {};
}

}  // namespace modConfig
