#include "components.h"

#include "modConfig.h"

namespace activity {

const Component* FindComponent(std::string_view name) {
    for (const Component& c : kComponents) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

std::int32_t ServiceTypeOf(SettingsBranch branch) {
    switch (branch) {
        case SettingsBranch::Connectors:
            return 0;
        case SettingsBranch::Services:
            return 1;
        case SettingsBranch::Agents:
            break;
    }
    return 3;
}

std::string SettingsKey(std::string_view name, SettingsBranch branch) {
    std::string key(kSettingsRoot);
    key += branch == SettingsBranch::Connectors ? "Connectors\\"
           : branch == SettingsBranch::Services ? "Services\\"
                                                : "Agents\\";
    // The setting on the branch key goes with the name, whatever the branch.
    const Component* c = FindComponent(name);
    if (!c || !c->onBranchKey) key += name;
    return key;
}

std::string LogDirectory(std::string_view name, SettingsBranch branch) {
    return modConfig::GetRegistryString(SettingsKey(name, branch), std::string(kDirectoryValue));
}

}  // namespace activity
