// SHFileOperationW: the copy of files and folders into a folder.
#include <filesystem>
#include <string>
#include <vector>

#include <palvex/paths.h>
#include <win/shellapi_fileop.h>
#include <win/winerror.h>

namespace {

constexpr size_t kMaxList = 32768;

// The paths of a double-terminated list; false when no terminator comes within the bound.
bool SplitList(LPCWSTR list, std::vector<std::u16string>& paths) {
    if (!list) return false;
    size_t at = 0;
    while (at < kMaxList) {
        std::u16string path;
        while (at < kMaxList && list[at]) path += list[at++];
        if (at >= kMaxList) return false;
        if (path.empty()) return true;
        paths.push_back(path);
        ++at;
    }
    return false;
}

}  // namespace

int SHFileOperationW(SHFILEOPSTRUCTW* lpFileOp) {
    if (!lpFileOp || lpFileOp->wFunc != FO_COPY) return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> sources, targets;
    if (!SplitList(lpFileOp->pFrom, sources) || !SplitList(lpFileOp->pTo, targets) || sources.empty() || targets.size() != 1)
        return ERROR_INVALID_PARAMETER;
    lpFileOp->fAnyOperationsAborted = FALSE;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target = palvex::HostPath(targets[0]);
    fs::create_directories(target, error);
    if (error) return ERROR_PATH_NOT_FOUND;
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    for (const std::u16string& source : sources) {
        const bool contents = source.size() >= 4 && source.compare(source.size() - 4, 4, u"\\*.*") == 0;
        const fs::path from = palvex::HostPath(contents ? source.substr(0, source.size() - 4) : source);
        if (!fs::exists(from, error)) return ERROR_FILE_NOT_FOUND;
        if (contents) {
            fs::copy(from, target, options, error);
        } else if (fs::is_directory(from, error)) {
            fs::create_directories(target / from.filename(), error);
            fs::copy(from, target / from.filename(), options, error);
        } else {
            fs::copy(from, target / from.filename(), options, error);
        }
        if (error) {
            lpFileOp->fAnyOperationsAborted = TRUE;
            return ERROR_ACCESS_DENIED;
        }
    }
    return 0;
}
