// The kernel handle table and CloseHandle.
#include "kernel/kernel_objects.h"

#include <win/handleapi.h>
#include <win/winbase.h>

namespace palvex::kernel {

HandleTable<KernelObject>& KernelHandles() {
    // Never destroyed: libraries close their handles from their own unload code, which may run
    // after this library's static objects are gone.
    static auto* table = new HandleTable<KernelObject>;
    return *table;
}

}  // namespace palvex::kernel

WINBASEAPI BOOL CloseHandle(HANDLE hObject) {
    if (!palvex::kernel::KernelHandles().Remove(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
