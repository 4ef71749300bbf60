#include <windows.h>

#include "folder_listing.h"
#include "utf.h"

namespace activity {

void ForEachFileIn(const std::string& windowsDir,
                   const std::function<void(std::string_view name)>& take) {
    if (windowsDir.empty()) return;
    // Joined as ActiveFileName joins a log's name to its folder.
    const std::u16string pattern = Utf8ToUtf16(windowsDir + "\\*");
    WIN32_FIND_DATAW found{};
    // Basic: no short names, which nothing here reads.
    HANDLE h = FindFirstFileExW(reinterpret_cast<LPCWSTR>(pattern.c_str()), FindExInfoBasic, &found,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        take(Utf16ToUtf8(reinterpret_cast<const char16_t*>(found.cFileName)));
    } while (FindNextFileW(h, &found));
    FindClose(h);
}

}  // namespace activity
