// Kernel objects and their handles (internal to the platform library).
//
// Every kind of kernel object (named mutexes now; files, events, threads as they come) derives
// from KernelObject and is entered into the one kernel handle table by its creating function.
// CloseHandle takes the handle out; the object itself goes when its last reference does, and its
// destructor is the kind's close work (a mutex lets go of its holder file there). A function that
// works on one kind looks its handle up with FindKernelObject<Kind>, whose reference keeps the
// object alive while it works.
#pragma once

#include <memory>

#include <win/wintypes.h>

#include "kernel/handle_table.h"

namespace palvex::kernel {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// The table of kernel handles. Its values come from the platform's one handle counter, so a
// printer or registry handle is never taken for a kernel handle.
HandleTable<KernelObject>& KernelHandles();

template <class Kind>
std::shared_ptr<Kind> FindKernelObject(HANDLE handle) {
    return std::dynamic_pointer_cast<Kind>(KernelHandles().Find(handle));
}

}  // namespace palvex::kernel
