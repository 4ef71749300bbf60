#include "registry_value.h"

namespace activity {

std::string RegistryText(const RegistryValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) return {};
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
    }
    return Utf16ToUtf8(units);
}

}  // namespace activity
