#include "spooler_forms.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui_fixture.h"

namespace uitest {

FORM_INFO_1W ReadForm(HANDLE printer, const std::u16string& name, std::vector<BYTE>& buffer) {
    DWORD needed = 0;
    GetFormW(printer, const_cast<LPWSTR>(name.c_str()), 1, nullptr, 0, &needed);
    FORM_INFO_1W form{};
    form.Flags = ~0u;
    buffer.assign(needed, 0);
    if (needed && GetFormW(printer, const_cast<LPWSTR>(name.c_str()), 1, buffer.data(), needed, &needed))
        std::memcpy(&form, buffer.data(), sizeof form);
    return form;
}

LONG ReadMark(HANDLE printer, const std::u16string& name, DWORD* type, DWORD* size) {
    DWORD value = 0, kind = 0, needed = 0;
    if (GetPrinterDataExW(printer, u"CUSTOMMEDIA", name.c_str(), &kind, reinterpret_cast<LPBYTE>(&value), sizeof value,
                          &needed) != ERROR_SUCCESS)
        return -1;
    if (type) *type = kind;
    if (size) *size = needed;
    return static_cast<LONG>(value);
}

void ExpectMarkedUserForm(HANDLE printer, const std::u16string& name, SIZEL size, RECTL area) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    std::vector<BYTE> buffer;
    const FORM_INFO_1W form = ReadForm(printer, name, buffer);
    ASSERT_EQ(form.Flags, static_cast<DWORD>(FORM_USER));
    EXPECT_EQ(std::u16string(form.pName), name);
    EXPECT_EQ(form.Size.cx, size.cx);
    EXPECT_EQ(form.Size.cy, size.cy);
    EXPECT_EQ(form.ImageableArea.left, area.left);
    EXPECT_EQ(form.ImageableArea.top, area.top);
    EXPECT_EQ(form.ImageableArea.right, area.right);
    EXPECT_EQ(form.ImageableArea.bottom, area.bottom);
    DWORD type = 0;
    EXPECT_EQ(ReadMark(printer, name, &type), 1);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

void RegisterCustomMedia(const std::u16string& name, SIZEL size, std::optional<DWORD> mark) {
    PrinterHandle admin;
    std::u16string text = name;
    FORM_INFO_1W form{};
    form.pName = text.data();
    form.Size = size;
    form.ImageableArea = {0, 0, size.cx, size.cy};
    ASSERT_TRUE(AddFormW(admin.get(), 1, reinterpret_cast<LPBYTE>(&form)));
    if (!mark) return;
    DWORD value = *mark;
    ASSERT_EQ(SetPrinterDataExW(admin.get(), u"CUSTOMMEDIA", text.c_str(), REG_DWORD, reinterpret_cast<LPBYTE>(&value),
                                sizeof value),
              static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace uitest
