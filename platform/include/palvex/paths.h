// Files of the simulated machine. Its drives are folders of the machine root: "C:\Windows\win.ini"
// is <root>/C/Windows/win.ini. Windows finds names without regard to case, so each part of a
// path is matched against what exists on the host the same way.
#pragma once

#include <filesystem>
#include <string_view>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The host path of a path as a module passes it:
// - "X:\..." or "X:/..." (drive letter), "\..." (the system drive C:), "\\?\X:\...": a file of the
//   machine. '\' and '/' both separate; "." and ".." are resolved and never climb above the drive.
//   Each existing part is matched without regard to case (an exact match first); parts that do
//   not exist yet keep their spelling, so the result also names a file about to be made.
// - "/...": a host path, taken as it is.
// - anything else: relative to the host's current directory, matched like a machine path.
// Other network paths ("\\server\share") have no host path: the result is empty.
PALVEX_API std::filesystem::path HostPath(std::u16string_view path);

// The Windows directory of the machine, "C:\Windows".
inline constexpr std::u16string_view kWindowsDirectory = u"C:\\Windows";

}  // namespace palvex
