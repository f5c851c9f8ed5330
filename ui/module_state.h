// The library's process-wide state: its module handle, the server's counts (com_server.h), the
// driver-use mutex, and the device-data list with its lock. The library entry attaches and
// detaches it; the driver's device items (which add to the list) take the lock.
#pragma once

#include <win/windows.h>

class ComServerCounts;  // com_server.h

namespace ui {

// One entry of the device-data list. Nodes and their records come from the process heap
// (HeapAlloc); the detach frees both.
struct DeviceDataNode {
    HANDLE m_printer;
    void* m_record;
    DeviceDataNode* m_next;
};

ComServerCounts& ServerCounts();

// The module's handle as the library entry was given it.
HMODULE ModuleHandle();

// The device-data list and the lock that guards it while the library is attached.
CRITICAL_SECTION* DeviceDataLock();
DeviceDataNode*& DeviceDataList();

// Process attach: keeps the module handle, holds the driver-use mutex (an existing one is held
// the same way) and makes the device-data lock.
void AttachProcess(HMODULE module);
// Process detach: clears the module handle, closes the mutex, deletes the lock and frees every
// node of the device-data list with its record.
void DetachProcess();

}  // namespace ui
