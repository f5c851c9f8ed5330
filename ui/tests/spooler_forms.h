// The spooler's forms as the custom-media tests see them: a form by its name, the "CUSTOMMEDIA"
// mark the driver sets on the forms it made, and a form registered as the driver's own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <win/windows.h>

namespace uitest {

// The form of a name as a handle of the printer finds it (Flags ~0 when there is none); its
// pName points into buffer.
FORM_INFO_1W ReadForm(HANDLE printer, const std::u16string& name, std::vector<BYTE>& buffer);

// The "CUSTOMMEDIA" value of a name: -1 when missing; its type into *type and its stored size
// into *size.
LONG ReadMark(HANDLE printer, const std::u16string& name, DWORD* type = nullptr, DWORD* size = nullptr);

// A user form of that name, size and imageable area, marked 1 (a REG_DWORD) as custom media.
void ExpectMarkedUserForm(HANDLE printer, const std::u16string& name, SIZEL size, RECTL area);

// Adds a form of the whole size to the test printer's server with the "CUSTOMMEDIA" value mark
// (1: the driver's own custom size, as the driver registers one; none: a form of someone else).
void RegisterCustomMedia(const std::u16string& name, SIZEL size, std::optional<DWORD> mark = 1);

}  // namespace uitest
