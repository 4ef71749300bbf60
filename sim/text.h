#pragma once

#include <string>
#include <string_view>

namespace sim {

// The bytes a Windows program writes for `utf8` in code page 1252; characters
// the code page lacks become '?', as WideCharToMultiByte's default does.
std::string EncodeCp1252(std::string_view utf8);

// `utf8` as Wine writes a string inside a saved registry file: backslash and
// quote escaped, anything outside printable ASCII as \xNNNN (UTF-16 units).
std::string EscapeRegString(std::string_view utf8);

}  // namespace sim
