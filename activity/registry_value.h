#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "utf.h"

namespace activity {

// Registry value types, numbered as Windows numbers them.
enum RegistryType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

// A value's data as the registry API would return it: strings are UTF-16LE.
struct RegistryValue {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

// The text of a string value as UTF-8: up to its first zero, so data stored
// without a terminator keeps its last character; the first string of a
// multi-string; the empty text for every other type. Unpaired surrogates
// become U+FFFD.
std::string RegistryText(const RegistryValue& value);

}  // namespace activity
