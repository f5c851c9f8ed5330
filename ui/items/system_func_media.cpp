// Custom media: a user form of the spooler plus the value 1 under the form's name in the printer
// data key "CUSTOMMEDIA", so that the driver lists only the forms it registered itself. Also the
// device's paper id of a paper name and the option lists of registered media.
#include <algorithm>
#include <cstring>
#include <vector>

#include <win/winspool.h>

#include "items/printer_form.h"
#include "items/system_func.h"
#include "kittrace.h"

namespace {

constexpr char16_t kCustomMediaKey[] = u"CUSTOMMEDIA";
// Characters of a paper name in DC_PAPERNAMES' answer.
constexpr size_t kPaperNameChars = 64;

DWORD Report(DWORD* error, DWORD code) {
    if (error) *error = code;
    return code;
}

bool Empty(LPCWSTR text) {
    return !text || !*text;
}

FORM_INFO_1W CustomForm(LPWSTR name, DWORD width, DWORD height) {
    FORM_INFO_1W form{};
    form.Flags = FORM_USER;
    form.pName = name;
    form.Size = SIZEL{static_cast<LONG>(width), static_cast<LONG>(height)};
    form.ImageableArea = RECTL{1, 1, static_cast<LONG>(width) - 1, static_cast<LONG>(height) - 1};
    return form;
}

// A printer handle of its own with full access, closed with the object.
class AdminPrinter {
public:
    explicit AdminPrinter(LPCWSTR name) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (!name || !OpenPrinterW(const_cast<LPWSTR>(name), &m_handle, &defaults)) m_handle = nullptr;
    }
    ~AdminPrinter() {
        if (m_handle) ClosePrinter(m_handle);
    }
    AdminPrinter(const AdminPrinter&) = delete;
    AdminPrinter& operator=(const AdminPrinter&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

DWORD MarkCustomMedia(HANDLE printer, LPCWSTR name) {
    DWORD one = 1;
    return SetPrinterDataExW(printer, kCustomMediaKey, name, REG_DWORD, reinterpret_cast<LPBYTE>(&one), sizeof one);
}

// Adds the user form and marks it as the driver's own. A form that cannot be marked would never
// be listed again, nor could the user reach it to remove it: it is taken out again and the
// marker's error answered. ERROR_SUCCESS, else the error.
DWORD AddMarkedForm(HANDLE printer, FORM_INFO_1W* form, const char16_t* caller) {
    if (!AddFormW(printer, 1, reinterpret_cast<LPBYTE>(form))) return GetLastError();
    const DWORD marked = MarkCustomMedia(printer, form->pName);
    if (marked != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: SetPrinterDataEx err=[%d]\n", caller, marked);
        DeleteFormW(printer, form->pName);
    }
    return marked;
}

}  // namespace

DWORD DeleteCustomMediumForm(HANDLE printer, LPCWSTR name) {
    if (!DeleteFormW(printer, const_cast<LPWSTR>(name))) return GetLastError();
    DeletePrinterDataExW(printer, kCustomMediaKey, name);
    return ERROR_SUCCESS;
}

BOOL QORVASystemFunc::AddCustomMedia(LPCWSTR name, DWORD width, DWORD height, DWORD* error) {
    if (Empty(name) || width == 0 || height == 0) {
        Report(error, ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    AdminPrinter printer(m_printerName);
    if (!printer.get()) {
        Report(error, GetLastError());
        return FALSE;
    }
    FORM_INFO_1W form = CustomForm(const_cast<LPWSTR>(name), width, height);
    if (const DWORD added = AddMarkedForm(printer.get(), &form, u"QORVASystemFunc::AddCustomMedia");
        added != ERROR_SUCCESS) {
        Report(error, added);
        return FALSE;
    }
    return TRUE;
}

BOOL QORVASystemFunc::ResizeCustomMedia(LPCWSTR name, DWORD width, DWORD height, DWORD* error) {
    if (Empty(name) || width == 0 || height == 0) {
        Report(error, ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const QORVAPrinterForm stored(m_printer, name);
    if (!stored) {
        Report(error, GetLastError());
        return FALSE;
    }
    FORM_INFO_1W form = stored.info();
    const FORM_INFO_1W sized = CustomForm(form.pName, width, height);
    form.Size = sized.Size;
    form.ImageableArea = sized.ImageableArea;
    if (!SetFormW(m_printer, const_cast<LPWSTR>(name), 1, reinterpret_cast<LPBYTE>(&form))) {
        Report(error, GetLastError());
        return FALSE;
    }
    return TRUE;
}

BOOL QORVASystemFunc::RenameCustomMedia(LPCWSTR oldName, LPCWSTR newName, DWORD* error) {
    if (Empty(oldName) || Empty(newName)) {
        Report(error, ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const QORVAPrinterForm stored(m_printer, oldName);
    if (!stored) {
        Report(error, GetLastError());
        return FALSE;
    }
    FORM_INFO_1W form = stored.info();
    form.pName = const_cast<LPWSTR>(newName);
    AdminPrinter printer(m_printerName);
    if (!printer.get()) {
        Report(error, GetLastError());
        return FALSE;
    }
    // A new form that cannot be marked goes again, and the old one stays as it was.
    if (const DWORD added = AddMarkedForm(printer.get(), &form, u"QORVASystemFunc::RenameCustomMedia");
        added != ERROR_SUCCESS) {
        Report(error, added);
        return FALSE;
    }
    DeleteCustomMediumForm(printer.get(), oldName);
    return TRUE;
}

DWORD QORVASystemFunc::GetPaperIdByName(LPCWSTR name) {
    if (Empty(name) || !m_printerName) return 0;
    const int ids = DeviceCapabilitiesW(m_printerName, nullptr, DC_PAPERS, nullptr, nullptr);
    const int names = DeviceCapabilitiesW(m_printerName, nullptr, DC_PAPERNAMES, nullptr, nullptr);
    if (ids <= 0 || names <= 0) return 0;
    std::vector<WORD> idList(static_cast<size_t>(ids));
    std::vector<WCHAR> nameList(static_cast<size_t>(names) * kPaperNameChars);
    if (DeviceCapabilitiesW(m_printerName, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(idList.data()), nullptr) != ids ||
        DeviceCapabilitiesW(m_printerName, nullptr, DC_PAPERNAMES, nameList.data(), nullptr) != names)
        return 0;
    const std::u16string_view wanted(name);
    for (size_t i = 0; i < std::min(idList.size(), static_cast<size_t>(names)); ++i) {
        // A name fills its field, with no NUL when it is 64 characters long.
        const WCHAR* field = nameList.data() + i * kPaperNameChars;
        const size_t length = std::find(field, field + kPaperNameChars, u'\0') - field;
        if (std::u16string_view(field, length) == wanted) return idList[i];
    }
    return 0;
}

DWORD QORVASystemFunc::ReadCustomMediaMark(LPCWSTR name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD needed = 0;
    if (GetPrinterDataExW(m_printer, kCustomMediaKey, name, &type, reinterpret_cast<LPBYTE>(&value), sizeof value,
                          &needed) != ERROR_SUCCESS ||
        type != REG_DWORD || needed != sizeof value)
        return 0;
    return value;
}

BOOL QORVASystemFunc::InDeviceRange(const SIZEL& size) {
    // The limits are the model's: they hold whenever the driver is known.
    if (!m_resources || !m_resources->GetDriverName()) return TRUE;
    return size.cx >= CUSTOM_MEDIA_MIN_WIDTH && size.cx <= CUSTOM_MEDIA_MAX_WIDTH &&
           size.cy >= CUSTOM_MEDIA_MIN_HEIGHT && size.cy <= CUSTOM_MEDIA_MAX_HEIGHT;
}

BOOL QORVASystemFunc::IsListedCustomMedia(const FORM_INFO_1W& form) {
    return form.Flags == FORM_USER && !Empty(form.pName) && InDeviceRange(form.Size) &&
           ReadCustomMediaMark(form.pName) == 1;
}

BOOL QORVASystemFunc::EnumForms(std::vector<BYTE>* buffer, DWORD* count) {
    *count = 0;
    DWORD needed = 0;
    DWORD returned = 0;
    if (EnumFormsW(m_printer, 1, nullptr, 0, &needed, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed == 0)
        return FALSE;
    buffer->assign(needed, 0);
    if (!EnumFormsW(m_printer, 1, buffer->data(), needed, &needed, &returned)) return FALSE;
    *count = returned;
    return returned != 0;
}

DWORD QORVASystemFunc::GetCustomMediaList(POPTITEM item, DWORD kind) {
    if (!item || !item->pOptType) return 0;
    POPTTYPE type = item->pOptType;
    std::vector<BYTE> buffer;
    DWORD formCount = 0;
    if (!EnumForms(&buffer, &formCount)) return 0;
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    std::vector<const FORM_INFO_1W*> listed;
    for (DWORD i = 0; i < formCount; ++i)
        if (IsListedCustomMedia(forms[i])) listed.push_back(&forms[i]);

    if (kind != CUSTOM_MEDIA_LIST_DIALOG) {
        if (listed.empty()) return type->Count;
        const size_t total = size_t{type->Count} + listed.size();
        if (total > 0xFFFF) return 0;
        auto* options = static_cast<POPTPARAM>(Allocate(total * sizeof(OPTPARAM)));
        if (!options) return 0;
        if (type->Count && type->pOptParam) std::memcpy(options, type->pOptParam, type->Count * sizeof(OPTPARAM));
        for (size_t n = 0; n < listed.size(); ++n) {
            auto* text = static_cast<LPWSTR>(Allocate(kPaperNameChars * sizeof(WCHAR)));
            if (!text) {
                for (size_t k = 0; k < n; ++k) Free(options[type->Count + k].pData);
                Free(options);
                return 0;
            }
            const std::u16string_view name(listed[n]->pName);
            std::copy_n(name.begin(), std::min(name.size(), kPaperNameChars - 1), text);
            OPTPARAM& option = options[type->Count + n];
            option.cbSize = sizeof(OPTPARAM);
            option.Flags &= ~OPTPF_HIDE;
            option.pData = text;
            option.lParam = CUSTOM_MEDIA_FIRST_VALUE + static_cast<LPARAM>(n);
        }
        Free(type->pOptParam);
        type->pOptParam = options;
        type->Count = static_cast<WORD>(total);
        return type->Count;
    }

    // The custom-media dialog's list: ten entries for registered media, one for a new medium.
    auto* options = static_cast<POPTPARAM>(Allocate(CUSTOM_MEDIA_LIST_OPTIONS * sizeof(OPTPARAM)));
    if (!options) return 0;
    CustomMediaRecord* records[CUSTOM_MEDIA_LIST_OPTIONS] = {};
    for (size_t i = 0; i < CUSTOM_MEDIA_LIST_OPTIONS; ++i) {
        records[i] = static_cast<CustomMediaRecord*>(Allocate(sizeof(CustomMediaRecord)));
        if (!records[i]) {
            for (size_t k = 0; k < i; ++k) Free(records[k]);
            Free(options);
            return 0;
        }
        options[i].cbSize = sizeof(OPTPARAM);
        options[i].Flags = OPTPF_HIDE;
        options[i].pData = reinterpret_cast<LPWSTR>(records[i]);
        options[i].lParam = reinterpret_cast<LPARAM>(records[i]);
    }
    std::fill(std::begin(m_customPaperIds), std::end(m_customPaperIds), 0);
    for (size_t i = 0; i < listed.size() && i < CUSTOM_MEDIA_ENTRIES; ++i) {
        CustomMediaRecord& record = *records[i];
        const std::u16string_view name(listed[i]->pName);
        std::copy_n(name.begin(), std::min(name.size(), size_t{CUSTOM_MEDIA_NAME_CHARS - 1}), record.m_name);
        record.m_form = *listed[i];
        record.m_form.pName = record.m_name;
        m_customPaperIds[i] = GetPaperIdByName(record.m_name);
        options[i].Flags &= ~OPTPF_HIDE;
    }
    CustomMediaRecord& fresh = *records[CUSTOM_MEDIA_ENTRIES];
    if (m_resources) m_resources->LoadString(IDS_CUSTOM_MEDIA_NEW, fresh.m_name, CUSTOM_MEDIA_NAME_CHARS);
    fresh.m_name[CUSTOM_MEDIA_NAME_CHARS - 1] = 0;
    type->pOptParam = options;
    type->Count = CUSTOM_MEDIA_LIST_OPTIONS;
    return CUSTOM_MEDIA_LIST_OPTIONS;
}
