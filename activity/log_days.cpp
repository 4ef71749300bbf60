#include "log_days.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "folder_listing.h"
#include "log_naming.h"

namespace activity {

std::vector<LocalDate> LogDays(const std::vector<ComponentFolder>& folders) {
    // Components often share a folder: each one is listed once.
    std::map<std::string, std::vector<std::string>> names;
    for (const ComponentFolder& f : folders) names[f.directory].push_back(f.name);
    std::vector<LocalDate> days;
    for (const auto& folder : names) {
        const std::vector<std::string>& components = folder.second;
        ForEachFileIn(folder.first, [&](std::string_view file) {
            for (const std::string& name : components) {
                if (const std::optional<LocalDate> day = LogFileDay(file, name)) {
                    days.push_back(*day);
                    return;
                }
            }
        });
    }
    const auto key = [](const LocalDate& d) { return std::tie(d.year, d.month, d.day); };
    std::sort(days.begin(), days.end(),
              [&key](const LocalDate& a, const LocalDate& b) { return key(a) < key(b); });
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

}  // namespace activity
