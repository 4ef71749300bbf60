#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace activity {

// Hands `take` the name (UTF-8) of each entry of a Windows folder that is a
// file, not a folder; nothing when the folder is missing or cannot be listed.
// Opens the folder for its listing only, and closes it before returning.
// folder_listing_posix.cpp maps the path through the Wine prefix as LogFile
// does; folder_listing_win.cpp lists it with the wide Win32 calls.
void ForEachFileIn(const std::string& windowsDir,
                   const std::function<void(std::string_view name)>& take);

}  // namespace activity
