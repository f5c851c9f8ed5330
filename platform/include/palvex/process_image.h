// The program this process stands for. On Windows a module learns which program loaded it from the
// process's first module (GetModuleFileNameW(NULL), EnumProcessModules with GetModuleBaseNameW).
// Here that program is this executable unless a host says which Windows program it stands in for:
// the spooler's hosts set "C:\Windows\System32\spoolsv.exe". It holds for this process only.
#pragma once

#include <string>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The path of the Windows spooler's program, which the spooler's hosts take on.
inline constexpr char16_t kSpoolerImagePath[] = u"C:\\Windows\\System32\\spoolsv.exe";

// Sets the program's path; an empty path goes back to this executable.
PALVEX_API void SetProcessImagePath(const std::u16string& path);
// The program's path: the last one set, else $PALVEX_PROCESS_IMAGE (a Windows path such as
// "C:\Pardex\Pardex.exe", for a program started on the machine from a folder of it), else this
// executable's host path.
PALVEX_API std::u16string ProcessImagePath();

// Takes on a program's path for one scope and restores the previous one afterwards.
class ProcessImageScope {
public:
    explicit ProcessImageScope(const std::u16string& path) : m_previous(ProcessImagePath()) {
        SetProcessImagePath(path);
    }
    ~ProcessImageScope() { SetProcessImagePath(m_previous); }
    ProcessImageScope(const ProcessImageScope&) = delete;
    ProcessImageScope& operator=(const ProcessImageScope&) = delete;

private:
    std::u16string m_previous;
};

}  // namespace palvex
