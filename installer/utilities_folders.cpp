// Deleting, creating and copying folder trees.
#include <win/shellapi_fileop.h>
#include <win/winfiles_move.h>

#include <cstring>

#include "install_log.h"
#include "utilities.h"

namespace {

std::u16string Trim(std::u16string folder) {
    if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    return folder;
}

bool IsDots(const WCHAR* name) {
    const std::u16string text = name;
    return text == u"." || text == u"..";
}

bool Equal(std::u16string a, std::u16string b) {
    CharUpperBuffW(a.data(), static_cast<DWORD>(a.size()));
    CharUpperBuffW(b.data(), static_cast<DWORD>(b.size()));
    return a == b;
}

// Runs body for every entry of folder except "." and ".."; false when the folder cannot be searched.
template <class Body>
bool ForEachEntry(const std::u16string& folder, Body&& body) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + u"\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        if (!IsDots(found.cFileName) && !body(found)) break;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

// Takes folder off the disk: each subfolder by DsDeleteDirectoryOnReboot, each file made
// writable and handed to removeFile (its path and name), then the folder itself made writable and
// removed, or handed to kept when it cannot be. FALSE when the folder cannot be searched or
// removed.
template <class RemoveFile, class Kept>
BOOL DeleteFolder(const std::u16string& folder, RemoveFile removeFile, Kept kept) {
    const bool searched = ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        const std::u16string path = folder + u"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DsDeleteDirectoryOnReboot(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            removeFile(path, entry.cFileName);
        }
        return true;
    });
    if (!searched) return FALSE;
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    const BOOL removed = RemoveDirectoryW(folder.c_str());
    if (!removed) kept(folder);
    return removed;
}

}  // namespace

BOOL DsDeleteDirectoryOnReboot(const std::u16string& argument) {
    return DeleteFolder(
        Trim(argument),
        [](const std::u16string& path, const WCHAR* name) {
            // String.ini stays until Windows starts again, like a file that cannot go now.
            if (Equal(name, u"String.ini") || !DeleteFileW(path.c_str()))
                MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        },
        [](const std::u16string& folder) { MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); });
}

BOOL DsDeleteDirectory(const std::u16string& argument) {
    return DeleteFolder(
        Trim(argument),
        [](const std::u16string& path, const WCHAR*) {
            if (!DeleteFileW(path.c_str()))
                WriteGlobalLog(0, u"DeleteFile Failed %s (WinError %x)\r\n", path.c_str(), GetLastError());
        },
        [](const std::u16string& folder) {
            WriteGlobalLog(0, u"RemoveDirectory Failed %s (WinError %x)\r\n", folder.c_str(), GetLastError());
        });
}

BOOL DsCreateDirectory(const std::u16string& argument) {
    const std::u16string path = Trim(argument) + u"\\";
    for (size_t at = path.find(u'\\'); at != std::u16string::npos; at = path.find(u'\\', at + 1)) {
        const std::u16string prefix = path.substr(0, at);
        if (prefix.empty() || (prefix.size() == 2 && prefix[1] == u':')) continue;  // the drive itself
        if (GetFileAttributesW(prefix.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (!CreateDirectoryW(prefix.c_str(), nullptr)) {
            WriteGlobalLog(0, u"CreateDirectory Failed %s (WinError %x)\r\n", prefix.c_str(), GetLastError());
            return FALSE;
        }
    }
    return TRUE;
}

BOOL DsCopyDirectory2(const std::u16string& sourceArgument, const std::u16string& targetArgument) {
    const std::u16string source = Trim(sourceArgument), target = Trim(targetArgument);
    WIN32_FIND_DATAW probe;
    HANDLE search = FindFirstFileW((source + u"\\*.*").c_str(), &probe);
    if (search == INVALID_HANDLE_VALUE) return TRUE;
    FindClose(search);
    DsCreateDirectory(target);
    BOOL result = TRUE;
    ForEachEntry(source, [&](const WIN32_FIND_DATAW& entry) {
        const std::u16string from = source + u"\\" + entry.cFileName;
        const std::u16string to = target + u"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            result = DsCopyDirectory2(from, to);
            return result != FALSE;
        }
        if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        result = CopyFileW(from.c_str(), to.c_str(), FALSE);
        if (result) SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        else WriteGlobalLog(0, u"Copy Failed. (%d) [src] %s [dst] %s\r\n", GetLastError(), from.c_str(), to.c_str());
        return true;
    });
    return result;
}

BOOL DsCopyDirectory(const std::u16string& sourceArgument, const std::u16string& targetArgument) {
    std::u16string source = Trim(sourceArgument);
    const std::u16string target = Trim(targetArgument);
    if (!DsCreateDirectory(target)) return FALSE;
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) source += u"\\*.*";
    // The shell takes lists of paths, each ended by a zero and the list by a second one.
    WCHAR from[261 + 1] = {}, to[261 + 1] = {};
    if (source.size() > 260 || target.size() > 260) return FALSE;
    std::memcpy(from, source.c_str(), source.size() * sizeof(WCHAR));
    std::memcpy(to, target.c_str(), target.size() * sizeof(WCHAR));
    WriteGlobalLog(1, u"DsCopyDirectory [src] %s [dst] %s\r\n", source.c_str(), target.c_str());
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_COPY;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    operation.lpszProgressTitle = u"";
    const int result = SHFileOperationW(&operation);
    if (result != 0) WriteGlobalLog(0, u"SHFileOperation (FO_COPY) Failed (%d)\r\n", result);
    return result == 0;
}
