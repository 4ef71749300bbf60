// The Windows build's side of the cross-store tests, run under Wine: reads
// "key path<TAB>value name" lines in UTF-8 and answers each with what
// modConfig::GetRegistryString says, one line each.
#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <string>

#include "modConfig.h"

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // no CR before each LF
    for (std::string key, name;
         std::getline(std::cin, key, '\t') && std::getline(std::cin, name);) {
        std::cout << modConfig::GetRegistryString(key, name) << '\n';
    }
}
