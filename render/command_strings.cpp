// The printer commands are the module's own string resources, one byte per UTF-16 unit.
#include "command_strings.h"

#include <iterator>

#include "module_state.h"

bool LoadCommandString(DWORD id, std::string* bytes) {
    WCHAR units[kCommandStringUnits + 1] = {};
    const int length = LoadStringW(render::ModuleHandle(), id, units, static_cast<int>(std::size(units)));
    if (length <= 0) return false;
    bytes->resize(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) (*bytes)[static_cast<size_t>(i)] = static_cast<char>(units[i] & 0xFF);
    return true;
}
