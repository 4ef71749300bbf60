// On other systems the server runs under Wine: its HKLM is the prefix's system.reg.
#include <optional>
#include <string_view>

#include "case_fold.h"
#include "modConfig.h"
#include "whole_file.h"
#include "wine_prefix.h"
#include "wine_registry.h"

namespace modConfig {

namespace {

using activity::RegistryValue;

constexpr std::string_view kEnvironmentKey =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (activity::AsciiLower(a[i]) != activity::AsciiLower(b[i])) return false;
    }
    return true;
}

// The 64-bit view first; a 32-bit server's SOFTWARE keys live under Wow6432Node.
std::optional<RegistryValue> FindInEitherView(std::string_view reg, std::string_view keyPath,
                                              std::string_view valueName) {
    if (auto value = activity::FindWineRegistryValue(reg, keyPath, valueName)) return value;
    keyPath = activity::WithoutLeadingBackslashes(keyPath);
    const std::size_t slash = keyPath.find('\\');
    if (!EqualsIgnoringAsciiCase(keyPath.substr(0, slash), "SOFTWARE")) return std::nullopt;
    std::string wow = "Software\\Wow6432Node";
    if (slash != std::string_view::npos) wow += keyPath.substr(slash);
    return activity::FindWineRegistryValue(reg, wow, valueName);
}

// What a Wine process's environment holds for `name`: the variables Wine sets
// itself, then the machine's Environment key. Those values were expanded once
// when the process started, so a `nested` look-up gives them as stored.
std::optional<std::string> Variable(std::string_view name, std::string_view reg, bool nested);

// %NAME% references replaced, as ExpandEnvironmentStrings does: an unknown
// name or a lone % stays as written.
std::string Expand(std::string_view text, std::string_view reg, bool nested) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out += text.substr(pos, open - pos);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (auto value = Variable(name, reg, nested)) {
            out += *value;
            pos = close + 1;
        } else {
            out += text.substr(open, close - open);  // the closing % may open the next name
            pos = close;
        }
    }
    out += text.substr(pos);
    return out;
}

std::optional<std::string> Variable(std::string_view name, std::string_view reg, bool nested) {
    if (name.empty()) return std::nullopt;
    if (EqualsIgnoringAsciiCase(name, "SystemDrive")) return "C:";
    if (EqualsIgnoringAsciiCase(name, "SystemRoot") || EqualsIgnoringAsciiCase(name, "windir")) {
        return "C:\\windows";
    }
    const auto value = activity::FindWineRegistryValue(reg, kEnvironmentKey, name);
    if (!value || (value->type != activity::kRegSz && value->type != activity::kRegExpandSz)) {
        return std::nullopt;
    }
    std::string text = activity::RegistryText(*value);
    if (value->type == activity::kRegExpandSz && !nested) text = Expand(text, reg, true);
    return text;
}

}  // namespace

std::string SettingsFile() {
    return activity::WinePrefixDir() + "/system.reg";
}

std::string GetRegistryString(std::string KeyPath, std::string ValueName) {
    const std::optional<std::string> reg = activity::ReadWholeFile(SettingsFile());
    if (!reg) return {};
    const std::optional<RegistryValue> value = FindInEitherView(*reg, KeyPath, ValueName);
    if (!value) return {};
    std::string text = activity::RegistryText(*value);
    if (value->type == activity::kRegExpandSz) text = Expand(text, *reg, false);
    return text;
}

}  // namespace modConfig
