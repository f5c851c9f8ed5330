// The machine's forms (internal to the platform library; the functions are in winspool_forms.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <win/wingdi.h>

namespace palvex::spool {

struct FormRow {
    std::u16string name;
    DWORD flags = 0;
    SIZE size{};     // micrometres
    RECTL area{};    // the imageable area, micrometres
};

std::vector<FormRow> ListForms();
// The form at a position of the list (from 1), or nothing.
std::optional<FormRow> FormAt(size_t position);
std::optional<FormRow> FindForm(const std::u16string& name);

}  // namespace palvex::spool
