// The compile entry: which source a printer's description is, when it must be compiled (the
// "Timestamp" printer data against the source's times), reading it and compiling its structures.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "xpcimpl.h"

namespace xpc {
namespace {

constexpr char16_t kTimestamp[] = u"Timestamp";

// How a compile treats the stored blocks.
enum Mode { kNothingToDo = 0, kFull = 1, kKeepSettings = 2 };

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

struct SourceTimes {
    FILETIME m_creation{};
    FILETIME m_lastWrite{};
};
static_assert(sizeof(SourceTimes) == 16);

bool ReadSourceTimes(LPCWSTR path, SourceTimes* times) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL read = GetFileTime(file, &times->m_creation, nullptr, &times->m_lastWrite);
    CloseHandle(file);
    return read != FALSE;
}

HANDLE OpenForWriting(LPCWSTR printerName) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, &defaults)) return nullptr;
    return printer;
}

// Mode 1 without a readable "Timestamp", mode 2 when the source is newer than it, else 0.
Mode ChooseMode(HANDLE printer, const SourceTimes& source) {
    SourceTimes stored;
    DWORD type = 0, needed = 0;
    const DWORD read = GetPrinterDataW(printer, const_cast<LPWSTR>(kTimestamp), &type,
                                       reinterpret_cast<LPBYTE>(&stored), sizeof stored, &needed);
    if (read != ERROR_SUCCESS || needed != sizeof stored) return kFull;
    if (Ticks(source.m_creation) > Ticks(stored.m_creation)) return kKeepSettings;
    if (Ticks(source.m_lastWrite) > Ticks(stored.m_lastWrite)) return kKeepSettings;
    return kNothingToDo;
}

DWORD WriteTimestamp(LPCWSTR printerName, SourceTimes times) {
    HANDLE printer = OpenForWriting(printerName);
    if (!printer) return ReportStatus(XPR_OPEN_FAILED, printerName);
    const DWORD written = SetPrinterDataW(printer, const_cast<LPWSTR>(kTimestamp), REG_BINARY,
                                          reinterpret_cast<LPBYTE>(&times), sizeof times);
    ClosePrinter(printer);
    if (written != ERROR_SUCCESS) return ReportStatus(XPR_WRITE_FAILED, kTimestamp, printerName);
    return 0;
}

// Whether the printer holds a block of that name. A recompile keeps the users' settings blocks,
// but a settings structure that a newer description brings, or one that no compile has saved
// yet, has nothing to keep and is saved: no value, or an empty one. When the printer cannot be
// asked, the block is kept.
bool HoldsBlock(LPCWSTR printerName, const std::u16string& name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, nullptr)) return true;
    DWORD type = 0, needed = 0;
    const DWORD probe = GetPrinterDataW(printer, const_cast<LPWSTR>(name.c_str()), &type, nullptr, 0, &needed);
    ClosePrinter(printer);
    return probe != ERROR_FILE_NOT_FOUND && !(probe == ERROR_SUCCESS && needed == 0);
}

// Calls a spooler Get* function into a buffer that holds a printer's or driver's record as a rule,
// and again with the size it asked for when it did not (the record may also grow in between).
template <class Call>
bool FetchInfo(Call call, std::vector<BYTE>* buffer) {
    constexpr DWORD kUsualSize = 4096;
    DWORD size = kUsualSize;
    for (int attempt = 0; attempt < 3; ++attempt) {
        buffer->assign(size, 0);
        DWORD needed = 0;
        if (call(buffer->data(), size, &needed)) return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) return false;
        size = needed;
    }
    return false;
}

bool CopyName(WCHAR (&destination)[MAX_PATH], LPCWSTR source) {
    const size_t length = source ? std::char_traits<char16_t>::length(source) : 0;
    if (length > kMaxPath) return false;
    if (length) std::memcpy(destination, source, length * sizeof(WCHAR));
    destination[length] = 0;
    return true;
}

bool Contains(LPCWSTR text, std::u16string_view part) {
    return text && std::u16string_view(text).find(part) != std::u16string_view::npos;
}

void UpperInPlace(LPWSTR text) {
    for (; text && *text; ++text)
        if (*text >= u'a' && *text <= u'z') *text = static_cast<WCHAR>(*text - u'a' + u'A');
}

}  // namespace

DWORD ReadSource(Context& context, std::u16string_view path, bool embedded) {
    AppendPrelude(context.m_entries);
    DWORD worst = ReadXpdFile(context, path, embedded, nullptr);
    context.m_searches.clear();
    if (worst >= KIT_SEVERITY_ERROR) return worst;
    for (DWORD (*step)(Context&) : {CollectMacros, ApplyExclusions, ApplyInjections}) {
        const DWORD result = step(context);
        if (result >= KIT_SEVERITY_ERROR) return result;
        worst = Worst(worst, result);
    }
    return worst;
}

DWORD EmitStructs(Context& context, std::u16string_view driverName, const XpcCompileRequest& request, int mode) {
    if (driverName.empty()) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    // The structures to compile: the distinct names of the top-level declarations (nested ones
    // are compiled with their parent).
    std::vector<std::u16string> names;
    for (const Entry* entry = FindIn(context.m_entries, nullptr, u"*XPDSTRUCT", 0); entry;
         entry = FindIn(context.m_entries, nullptr, u"*XPDSTRUCT", 0, nullptr, entry))
        if (std::find(names.begin(), names.end(), entry->m_value) == names.end()) names.push_back(entry->m_value);
    if (names.empty()) return Report(XPC_NOTHING_TO_COMPILE);

    Report(XPC_COMPILING);
    const std::u16string model(driverName);
    DWORD failure = 0, worst = 0;
    for (const std::u16string& name : names) {
        Report(XPC_STRUCTURE, name.c_str());
        StructDef def;
        if (const DWORD result = DefineStruct(context, def, name, 0); result >= KIT_SEVERITY_ERROR) return result;
        bool missingLevel = false;
        const DWORD rows = FillRows(context, def, u"*" + name, 0, &model, nullptr, def.m_forceWrite, nullptr, &missingLevel);
        if (rows != 0) {
            // Not saved: the stored block stays. An error fails the compile; a warning does not.
            if (rows >= KIT_SEVERITY_ERROR && !failure) failure = rows;
            worst = Worst(worst, rows);
            continue;
        }
        const bool keep = mode == kKeepSettings &&
                          (name == u"OEMDEVMODE" || name.find(u"SETTINGS") != std::u16string::npos) &&
                          HoldsBlock(request.m_printerName, name);
        if (keep) continue;
        if (const DWORD saved = SaveStruct(def, request.m_printerName); saved >= KIT_SEVERITY_ERROR) return saved;
    }
    return failure ? failure : worst;
}

}  // namespace xpc

using namespace xpc;

DWORD CompileIfChanged(const XpcCompileRequest* request) {
    if (!request || !request->m_printerName[0] || !request->m_driverName[0] || !request->m_sourcePath[0])
        return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    try {
        SourceTimes times;
        if (!ReadSourceTimes(request->m_sourcePath, &times)) return 0;  // no source, nothing to compile

        HANDLE printer = OpenForWriting(request->m_printerName);
        if (!printer) return ReportStatus(XPR_OPEN_FAILED, request->m_printerName);
        const Mode mode = ChooseMode(printer, times);
        ClosePrinter(printer);
        if (mode == kNothingToDo) return 0;

        DWORD result = 0;
        {
            auto context = std::make_unique<Context>();
            Report(XPC_PROCESSING);
            result = ReadSource(*context, request->m_sourcePath, request->m_embedded != FALSE);
            if (result < KIT_SEVERITY_ERROR) result = EmitStructs(*context, request->m_driverName, *request, mode);
        }
        if (result >= KIT_SEVERITY_ERROR) return result;
        return WriteTimestamp(request->m_printerName, times);
    } catch (const std::bad_alloc&) {
        return Report(XPC_OUT_OF_MEMORY, KIT_HERE);
    }
}

DWORD CompileByHandle(HANDLE printer) {
    if (!printer || printer == INVALID_HANDLE_VALUE) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    try {
        std::vector<BYTE> driverInfo;
        if (!FetchInfo([&](LPBYTE at, DWORD size, LPDWORD needed) {
                return GetPrinterDriverW(printer, nullptr, 4, at, size, needed);
            }, &driverInfo))
            return KIT_SEVERITY_ERROR;
        const auto* driver = reinterpret_cast<DRIVER_INFO_4W*>(driverInfo.data());

        // The description: the first dependent file with ".XPD" in its name, else the data file
        // (embedded in it unless the data file is an .XPD file itself).
        LPCWSTR source = nullptr;
        BOOL embedded = FALSE;
        for (LPWSTR file = driver->pDependentFiles; file && *file; file += std::char_traits<char16_t>::length(file) + 1) {
            UpperInPlace(file);
            if (!source && Contains(file, u".XPD")) source = file;
        }
        if (!source) {
            source = driver->pDataFile;
            std::u16string upper = source ? Upper(source) : std::u16string();
            embedded = upper.find(u".XPD") == std::u16string::npos;
        }

        auto request = std::make_unique<XpcCompileRequest>();
        request->m_embedded = embedded;
        if (!CopyName(request->m_driverName, driver->pName) || !CopyName(request->m_sourcePath, source))
            return Report(XPC_INVALID_PARAMETER, KIT_HERE);

        // The usual answer, nothing changed, is found through the caller's handle: the printer is
        // looked up by name and opened for writing only when there is something to write.
        if (request->m_driverName[0] && request->m_sourcePath[0]) {
            SourceTimes times;
            if (!ReadSourceTimes(request->m_sourcePath, &times)) return 0;  // no source, nothing to compile
            if (ChooseMode(printer, times) == kNothingToDo) return 0;
        }

        std::vector<BYTE> printerInfo;
        if (!FetchInfo([&](LPBYTE at, DWORD size, LPDWORD needed) { return GetPrinterW(printer, 1, at, size, needed); },
                       &printerInfo))
            return KIT_SEVERITY_ERROR;
        const auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(printerInfo.data());
        if (!CopyName(request->m_printerName, info->pName)) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
        return CompileIfChanged(request.get());
    } catch (const std::bad_alloc&) {
        return Report(XPC_OUT_OF_MEMORY, KIT_HERE);
    }
}
