// The system libraries LoadLibraryW hands out (internal to the platform library).
#pragma once

#include <win/wintypes.h>

namespace palvex::win {

// True for a handle LoadLibraryW gave for a system library; freeing it is a no-op.
bool IsSystemModule(HMODULE module);

}  // namespace palvex::win
