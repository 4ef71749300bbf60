// Asks modConfig::GetRegistryString through the Win32 registry, for the
// cross-store tests to compare with the native reading of the same prefix.
// Reads "key path<TAB>value name" lines in UTF-8 and answers each with one
// line: the answer's UTF-8 bytes in hex, so that no console code page and no
// line end within an answer stands in the way.
#include <windows.h>

#include <string>

#include "modConfig.h"

namespace {

std::string ReadInput() {
    std::string data;
    char buf[4096];
    DWORD got = 0;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    return data;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

}  // namespace

int main() {
    const std::string input = ReadInput();
    std::string answers;
    std::size_t pos = 0;
    while (pos < input.size()) {
        std::size_t end = input.find('\n', pos);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) return 2;
        answers += Hex(modConfig::GetRegistryString(line.substr(0, tab), line.substr(tab + 1)));
        answers += '\n';
    }
    DWORD written = 0;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return WriteFile(out, answers.data(), static_cast<DWORD>(answers.size()), &written, nullptr) &&
                   written == answers.size()
               ? 0
               : 1;
}
