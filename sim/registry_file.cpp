#include "registry_file.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "text.h"

namespace sim {

void RegistryFile::SetRaw(std::string_view key, std::string_view name, std::string_view data) {
    std::string k(key);
    if (!k.empty() && k.back() == '\\') k.pop_back();
    keys_[k]["\"" + EscapeRegString(name) + "\""] = data;
}

void RegistryFile::SetString(std::string_view key, std::string_view name, std::string_view utf8,
                             bool expandable) {
    SetRaw(key, name, (expandable ? "str(2):\"" : "\"") + EscapeRegString(utf8) + "\"");
}

std::string RegistryFile::Text(std::time_t now) const {
    const auto filetime = (static_cast<unsigned long long>(now) + 11644473600ULL) * 10000000ULL;
    char times[64];
    std::snprintf(times, sizeof times, "] %lld\n#time=%llx\n", static_cast<long long>(now),
                  filetime);
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";
    text += "#arch=win64\n";
    for (const auto& [key, values] : keys_) {
        text += "\n[" + EscapeRegString(key) + times;
        for (const auto& [name, data] : values) text += name + "=" + data + "\n";
    }
    return text;
}

bool RegistryFile::Save(const std::filesystem::path& file, std::time_t now) const {
    return WriteFileAtomically(file, Text(now));
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text) {
    const std::filesystem::path temporary = file.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    return !ec;
}

}  // namespace sim
