// The machine's forms (EnumFormsW, GetFormW, AddFormW, SetFormW, DeleteFormW) and the paper
// capabilities of its printers (DeviceCapabilitiesW: each printer's own papers, else the model's;
// its own media types, else those of its driver's GPD; the UI plug-in of the printer's driver may
// change the answer).
#include "spooler/spool_forms.h"

#include <algorithm>
#include <cstring>

#include <win/winspool_forms.h>
#include <win/winuser.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "spooler/gpd_media_types.h"
#include "spooler/paper_forms.h"
#include "spooler/spooler_store.h"
#include "spooler/ui_module_capabilities.h"
#include "crt/utf16.h"

namespace palvex::spool {
namespace {

// The table and the standard forms, which a new machine has from the start.
std::string FormsSchema() {
    std::string sql = R"sql(
CREATE TABLE IF NOT EXISTS spool_forms (
    id INTEGER PRIMARY KEY AUTOINCREMENT,  -- the order EnumFormsW lists them in
    name TEXT NOT NULL,
    name_key TEXT NOT NULL UNIQUE,
    flags INTEGER NOT NULL,
    width INTEGER NOT NULL,
    height INTEGER NOT NULL,
    area_left INTEGER NOT NULL,
    area_top INTEGER NOT NULL,
    area_right INTEGER NOT NULL,
    area_bottom INTEGER NOT NULL);
INSERT OR IGNORE INTO spool_forms (id, name, name_key, flags, width, height, area_left, area_top, area_right,
                                   area_bottom) VALUES )sql";
    int id = 0;
    for (const auto& form : paper::StandardForms()) {
        std::string name;
        std::string key;
        for (const char16_t* c = form.name; *c; ++c) {
            name += static_cast<char>(*c);  // the standard names are ASCII
            key += static_cast<char>(*c >= u'a' && *c <= u'z' ? *c - u'a' + u'A' : *c);
        }
        const std::string w = std::to_string(form.width);
        const std::string h = std::to_string(form.height);
        const std::string separator = id ? ",\n" : "";
        sql += separator + "(" + std::to_string(++id) + ", '" + name + "', '" + key + "', " +
               std::to_string(FORM_BUILTIN) + ", " + w + ", " + h + ", 0, 0, " + w + ", " + h + ")";
    }
    return sql + ";\n";
}

const std::string kFormsSql = FormsSchema();
const db::SchemaPart kFormsSchema(kFormsSql.c_str());

constexpr char kFormColumns[] =
    "SELECT name, flags, width, height, area_left, area_top, area_right, area_bottom FROM spool_forms ";

FormRow ReadForm(const db::Statement& row) {
    FormRow form;
    form.name = row.Text16(0);
    form.flags = static_cast<DWORD>(row.Int(1));
    form.size = SIZE{static_cast<LONG>(row.Int(2)), static_cast<LONG>(row.Int(3))};
    form.area = RECTL{static_cast<LONG>(row.Int(4)), static_cast<LONG>(row.Int(5)), static_cast<LONG>(row.Int(6)),
                      static_cast<LONG>(row.Int(7))};
    return form;
}

}  // namespace

std::vector<FormRow> ListForms() {
    std::vector<FormRow> forms;
    db::Statement list((std::string(kFormColumns) + "ORDER BY id").c_str());
    while (list.Step()) forms.push_back(ReadForm(list));
    return forms;
}

std::optional<FormRow> FormAt(size_t position) {
    if (position == 0) return std::nullopt;
    db::Statement find((std::string(kFormColumns) + "ORDER BY id LIMIT 1 OFFSET ?1").c_str());
    find.Bind(1, static_cast<int64_t>(position - 1));
    if (!find.Step()) return std::nullopt;
    return ReadForm(find);
}

std::optional<FormRow> FindForm(const std::u16string& name) {
    db::Statement find((std::string(kFormColumns) + "WHERE name_key = ?1").c_str());
    find.Bind(1, db::FoldKey(name));
    if (!find.Step()) return std::nullopt;
    return ReadForm(find);
}

}  // namespace palvex::spool

namespace {

using palvex::spool::FormRow;

// ERROR_SUCCESS when h is a printer handle.
DWORD CheckPrinterHandle(HANDLE h) {
    DWORD needed = 0;
    const DWORD saved = GetLastError();
    if (!GetPrinterW(h, 1, nullptr, 0, &needed) && GetLastError() == ERROR_INVALID_HANDLE) return ERROR_INVALID_HANDLE;
    SetLastError(saved);
    return ERROR_SUCCESS;
}

// Lays forms out as FORM_INFO_1W records followed by their names; measures when buffer is null.
size_t LayOutForms(const std::vector<FormRow>& forms, LPBYTE buffer) {
    size_t used = forms.size() * sizeof(FORM_INFO_1W);
    for (size_t i = 0; i < forms.size(); ++i) {
        const size_t nameBytes = (forms[i].name.size() + 1) * sizeof(WCHAR);
        if (buffer) {
            FORM_INFO_1W info{};
            info.Flags = forms[i].flags;
            info.pName = reinterpret_cast<LPWSTR>(buffer + used);
            info.Size = forms[i].size;
            info.ImageableArea = forms[i].area;
            std::memcpy(buffer + used, forms[i].name.c_str(), nameBytes);
            std::memcpy(buffer + i * sizeof(FORM_INFO_1W), &info, sizeof info);
        }
        used += nameBytes;
    }
    return used;
}

DWORD FillForms(const std::vector<FormRow>& forms, LPBYTE buffer, DWORD size, LPDWORD needed) {
    if (!needed) return RPC_X_NULL_REF_POINTER;
    if (!buffer && size != 0) return ERROR_INVALID_USER_BUFFER;
    const size_t required = LayOutForms(forms, nullptr);
    *needed = static_cast<DWORD>(required);
    if (size < required) return ERROR_INSUFFICIENT_BUFFER;
    LayOutForms(forms, buffer);
    return ERROR_SUCCESS;
}

std::u16string Text(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

bool SoundForm(const FORM_INFO_1W& form) {
    return form.Size.cx > 0 && form.Size.cy > 0 && form.ImageableArea.left <= form.ImageableArea.right &&
           form.ImageableArea.top <= form.ImageableArea.bottom;
}

// The form record an AddFormW or SetFormW call passes, once its printer handle and level are
// checked; the error of the first check that fails.
DWORD ReadFormArgument(HANDLE printer, DWORD level, const BYTE* record, FORM_INFO_1W* form) {
    if (const DWORD error = CheckPrinterHandle(printer)) return error;
    if (level != 1) return ERROR_INVALID_LEVEL;
    if (!record) return ERROR_INVALID_PARAMETER;
    std::memcpy(form, record, sizeof *form);
    return ERROR_SUCCESS;
}

}  // namespace

BOOL EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (const DWORD error = CheckPrinterHandle(hPrinter)) return error;
        if (Level != 1) return ERROR_INVALID_LEVEL;
        if (!pcReturned) return RPC_X_NULL_REF_POINTER;
        *pcReturned = 0;
        const auto forms = palvex::spool::ListForms();
        const DWORD error = FillForms(forms, pForm, cbBuf, pcbNeeded);
        if (error == ERROR_SUCCESS) *pcReturned = static_cast<DWORD>(forms.size());
        return error;
    }));
}

BOOL GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (const DWORD error = CheckPrinterHandle(hPrinter)) return error;
        if (Level != 1) return ERROR_INVALID_LEVEL;
        const auto form = palvex::spool::FindForm(Text(pFormName));
        if (!pFormName || !form) return ERROR_INVALID_FORM_NAME;
        return FillForms({*form}, pForm, cbBuf, pcbNeeded);
    }));
}

BOOL AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        FORM_INFO_1W form;
        if (const DWORD error = ReadFormArgument(hPrinter, Level, pForm, &form)) return error;
        const std::u16string name = Text(form.pName);
        if (name.empty() || !SoundForm(form) || (form.Flags & ~FORM_PRINTER) != 0) return ERROR_INVALID_PARAMETER;
        DWORD error = ERROR_SUCCESS;
        palvex::db::Transaction([&] {
            if (palvex::spool::FindForm(name)) {
                error = ERROR_FILE_EXISTS;
                return;
            }
            palvex::db::Statement add(R"sql(
                INSERT INTO spool_forms (name, name_key, flags, width, height, area_left, area_top, area_right,
                                         area_bottom)
                VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9))sql");
            add.BindName(1, name).Bind(3, int64_t{form.Flags}).Bind(4, int64_t{form.Size.cx}).Bind(5, int64_t{form.Size.cy});
            add.Bind(6, int64_t{form.ImageableArea.left}).Bind(7, int64_t{form.ImageableArea.top});
            add.Bind(8, int64_t{form.ImageableArea.right}).Bind(9, int64_t{form.ImageableArea.bottom}).Run();
        });
        return error;
    }));
}

BOOL SetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        FORM_INFO_1W form;
        if (const DWORD error = ReadFormArgument(hPrinter, Level, pForm, &form)) return error;
        const auto existing = palvex::spool::FindForm(Text(pFormName));
        if (!pFormName || !existing) return ERROR_INVALID_FORM_NAME;
        if ((existing->flags & FORM_BUILTIN) || !SoundForm(form)) return ERROR_INVALID_PARAMETER;
        palvex::db::Statement update(R"sql(
            UPDATE spool_forms SET width = ?2, height = ?3, area_left = ?4, area_top = ?5, area_right = ?6,
                                   area_bottom = ?7
            WHERE name_key = ?1)sql");
        update.Bind(1, palvex::db::FoldKey(pFormName)).Bind(2, int64_t{form.Size.cx}).Bind(3, int64_t{form.Size.cy});
        update.Bind(4, int64_t{form.ImageableArea.left}).Bind(5, int64_t{form.ImageableArea.top});
        update.Bind(6, int64_t{form.ImageableArea.right}).Bind(7, int64_t{form.ImageableArea.bottom}).Run();
        return ERROR_SUCCESS;
    }));
}

BOOL DeleteFormW(HANDLE hPrinter, LPWSTR pFormName) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (const DWORD error = CheckPrinterHandle(hPrinter)) return error;
        const auto existing = palvex::spool::FindForm(Text(pFormName));
        if (!pFormName || !existing) return ERROR_INVALID_FORM_NAME;
        if (existing->flags & FORM_BUILTIN) return ERROR_INVALID_PARAMETER;
        palvex::db::Statement("DELETE FROM spool_forms WHERE name_key = ?1").Bind(1, palvex::db::FoldKey(pFormName)).Run();
        return ERROR_SUCCESS;
    }));
}

namespace {

// Copies text into a field of width units, zero-filled, cut to width - 1 units.
void PutName(BYTE* out, size_t index, size_t width, const std::u16string& text) {
    std::vector<WCHAR> field(width, 0);
    std::memcpy(field.data(), text.data(), std::min(text.size(), width - 1) * sizeof(WCHAR));
    std::memcpy(out + index * width * sizeof(WCHAR), field.data(), width * sizeof(WCHAR));
}

int PaperCapability(int64_t printerId, WORD capability, BYTE* out) {
    const auto papers = palvex::paper::PrinterPapers(printerId);
    for (size_t i = 0; i < papers.size() && out; ++i) {
        switch (capability) {
        case DC_PAPERS: std::memcpy(out + i * sizeof(WORD), &papers[i].id, sizeof(WORD)); break;
        case DC_PAPERSIZE: {
            const POINT size{papers[i].width, papers[i].height};
            std::memcpy(out + i * sizeof(POINT), &size, sizeof size);
            break;
        }
        default: PutName(out, i, palvex::paper::kPaperNameChars + 1, papers[i].name); break;
        }
    }
    return static_cast<int>(papers.size());
}

int ChoiceCapability(int64_t printerId, WORD capability, BYTE* out) {
    const bool bins = capability == DC_BINS || capability == DC_BINNAMES;
    auto choices = palvex::paper::PrinterChoices(printerId, bins ? DC_BINS : DC_MEDIATYPES);
    // A printer given no media types offers those of its driver's description.
    if (!bins && choices.empty()) choices = palvex::paper::DriverMediaTypes(printerId);
    for (size_t i = 0; i < choices.size() && out; ++i) {
        switch (capability) {
        case DC_BINS: {
            const WORD bin = static_cast<WORD>(choices[i].id);
            std::memcpy(out + i * sizeof bin, &bin, sizeof bin);
            break;
        }
        case DC_MEDIATYPES: std::memcpy(out + i * sizeof(DWORD), &choices[i].id, sizeof(DWORD)); break;
        case DC_BINNAMES: PutName(out, i, palvex::paper::kBinNameChars + 1, choices[i].name); break;
        default: PutName(out, i, palvex::paper::kPaperNameChars + 1, choices[i].name); break;
        }
    }
    return static_cast<int>(choices.size());
}

// The driver's own answer; -1 for a capability it does not answer.
int DriverCapability(int64_t printerId, WORD capability, BYTE* out) {
    switch (capability) {
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES: return PaperCapability(printerId, capability, out);
    case DC_BINS:
    case DC_BINNAMES:
    case DC_MEDIATYPES:
    case DC_MEDIATYPENAMES: return ChoiceCapability(printerId, capability, out);
    default: return -1;
    }
}

}  // namespace

int DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR, WORD fwCapability, LPWSTR pOutput, const DEVMODEW* pDevMode) {
    int count = -1;
    const DWORD error = palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto printer = pDevice ? palvex::spool::FindPrinter(pDevice) : std::nullopt;
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        const auto module = palvex::paper::UiModuleOf(printer->id);
        if (!module) {
            count = DriverCapability(printer->id, fwCapability, reinterpret_cast<BYTE*>(pOutput));
            return count < 0 ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS;
        }
        // The driver's UI plug-in may change the driver's answer. The caller sized the output for
        // the final answer, so the driver writes its own only when the plug-in leaves it.
        const int driverAnswer = DriverCapability(printer->id, fwCapability, nullptr);
        if (const auto answer = palvex::paper::UiModuleAnswer(module, printer->name, fwCapability, pOutput, pDevMode,
                                                               static_cast<DWORD>(driverAnswer))) {
            count = static_cast<int>(*answer);
            return ERROR_SUCCESS;
        }
        if (driverAnswer < 0) return ERROR_NOT_SUPPORTED;
        count = pOutput ? DriverCapability(printer->id, fwCapability, reinterpret_cast<BYTE*>(pOutput)) : driverAnswer;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return -1;
    }
    return count;
}
