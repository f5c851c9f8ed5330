#include "datafileimage.h"

#include <new>

#include <win/winfiles_move.h>

#include "kittrace.h"

namespace {

HANDLE OpenForReading(LPCWSTR path) {
    for (int attempt = 1;; ++attempt) {
        const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || attempt == DATAFILE_ATTEMPTS) return file;
        Sleep(DATAFILE_RETRY_MS);
    }
}

// The folder of a path ("." when the path names none).
std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string(u".") : path.substr(0, slash);
}

// Writes content into a new temporary file beside path; its name goes to temporary.
bool WriteTemporary(const std::u16string& path, std::string_view content, std::u16string* temporary) {
    WCHAR name[MAX_PATH] = {};
    if (!GetTempFileNameW(FolderOf(path).c_str(), u"drv", 0, name)) {
        DebugTrace(1, u"%s: GetTempFileName err=[%d]\n", u"DataFile::Replace", GetLastError());
        return false;
    }
    *temporary = name;
    const HANDLE file =
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DebugTrace(1, u"%s: CreateFile err=[%d]\n", u"DataFile::Replace", GetLastError());
        DeleteFileW(name);
        return false;
    }
    DWORD written = 0;
    const bool whole = content.size() <= 0xFFFFFFFFu &&
                       WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                       written == content.size();
    if (!whole) DebugTrace(1, u"%s: WriteFile err=[%d]\n", u"DataFile::Replace", GetLastError());
    const bool closed = CloseHandle(file);
    if (whole && closed) return true;
    DeleteFileW(name);
    return false;
}

}  // namespace

HRESULT ReadDataFile(DataFileImage* image) {
    if (!image || image->m_path.empty()) return E_FAIL;
    image->m_content.clear();
    const HANDLE file = OpenForReading(image->m_path.c_str());
    if (file == INVALID_HANDLE_VALUE) {
        DebugTrace(1, u"%s: CreateFile err=[%d]\n", u"DataFile::Read", GetLastError());
        return E_FAIL;
    }
    HRESULT result = E_FAIL;
    try {
        DWORD high = 0;
        const DWORD size = GetFileSize(file, &high);
        if (size != INVALID_FILE_SIZE && size != 0 && high == 0) {
            image->m_content.resize(size);
            DWORD read = 0;
            if (ReadFile(file, image->m_content.data(), size, &read, nullptr) && read == size) result = S_OK;
        }
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    CloseHandle(file);
    if (FAILED(result)) image->m_content.clear();
    return result;
}

std::u16string DataFileExtension(const std::u16string& path) {
    const size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos) return {};
    std::u16string extension = path.substr(dot + 1);
    for (char16_t& c : extension)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return extension;
}

HRESULT ReplaceDataFile(const std::u16string& path, std::string_view content) {
    if (path.empty()) return E_FAIL;
    std::u16string temporary;
    try {
        if (!WriteTemporary(path, content, &temporary)) return E_FAIL;
    } catch (const std::bad_alloc&) {
        if (!temporary.empty()) DeleteFileW(temporary.c_str());
        return E_OUTOFMEMORY;
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return S_OK;
        if (attempt == DATAFILE_ATTEMPTS) break;
        Sleep(DATAFILE_RETRY_MS);
    }
    DebugTrace(1, u"%s: MoveFileEx err=[%d]\n", u"DataFile::Replace", GetLastError());
    DeleteFileW(temporary.c_str());
    return E_FAIL;
}

HRESULT RewriteDataFile(DataFileImage* image,
                        const std::function<void(std::string_view content, DataFileRewrite* rewrite)>& build) {
    if (!image || image->m_path.empty()) return E_FAIL;
    try {
        if (const HRESULT read = ReadDataFile(image); FAILED(read)) return read;
        DataFileRewrite rewrite;
        build(image->m_content, &rewrite);
        if (!rewrite.m_write) return rewrite.m_result;
        if (const HRESULT replaced = ReplaceDataFile(image->m_path, rewrite.m_text); FAILED(replaced)) return replaced;
        image->m_content = std::move(rewrite.m_text);
        return rewrite.m_result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

size_t FindTag(std::string_view content, std::string_view tag, size_t from) {
    return from > content.size() ? std::string_view::npos : content.find(tag, from);
}

size_t NextLineStart(std::string_view content, size_t at) {
    const size_t end = content.find_first_of("\r\n", at);
    if (end == std::string_view::npos) return content.size();
    if (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') return end + 2;
    return end + 1;
}
