// The tests link the plug-in's objects into their own program, so the program stands in for the
// plug-in's module: its handle carries the module's string resources (the printer commands), as
// the library's load does for the real module.
#include <palvex/library_entry.h>

#include "module_state.h"

namespace {

const bool g_moduleAttached = [] {
    render::SetModuleHandle(palvex::AttachThisLibrary(reinterpret_cast<const void*>(&render::ModuleHandle)));
    return render::ModuleHandle() != nullptr;
}();

}  // namespace
