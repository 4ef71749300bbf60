#pragma once

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace sim {

// A machine registry file as Wine 8 saves one (system.reg): keys in name
// order, each with its time. Tests write theirs with it too.
class RegistryFile {
  public:
    // `data` as Wine writes it after the '=': "\"text\"", str(2):"...", dword:..., hex(7):...
    void SetRaw(std::string_view key, std::string_view name, std::string_view data);
    // REG_SZ, or REG_EXPAND_SZ when `expandable`, from UTF-8.
    void SetString(std::string_view key, std::string_view name, std::string_view utf8,
                   bool expandable = false);

    std::string Text(std::time_t now) const;
    // Written whole and renamed into place, as Wine saves it.
    bool Save(const std::filesystem::path& file, std::time_t now) const;

  private:
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

// Writes `text` beside `file` and renames it into place, so that a reader
// never sees half of it.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text);

}  // namespace sim
