#pragma once

#include <string>
#include <string_view>

namespace activity {

// The Wine prefix whose registry and drives stand in for Windows' on other
// systems: $WINEPREFIX, or ~/.wine when that is unset or empty.
std::string WinePrefixDir();

// Maps a Windows path to the POSIX path Wine would open for it inside `prefix`:
// "X:\rest" -> <prefix>/dosdevices/x:/rest; "\\server\share\rest" ->
// <prefix>/dosdevices/unc/server/share/rest; "\rest" is on the current
// directory's drive (z: when `cwd` lies outside every drive); a relative path
// is relative to `cwd`. Both slashes separate, empty components and "." drop,
// ".." climbs, trailing dots and spaces of the last component go, and a
// component missing with its exact case is matched case-insensitively within
// its directory. Returns "" when the path cannot be mapped.
std::string MapWindowsPath(std::string_view windowsPath, const std::string& prefix,
                           const std::string& cwd);

// The same mapping without looking at the disk: every name as given, the
// current directory asked for only when the path needs it. What a follower
// tries first, so that a scan of an unchanged file costs no more than the open.
std::string MapWindowsPathAsGiven(std::string_view windowsPath, const std::string& prefix);

}  // namespace activity
