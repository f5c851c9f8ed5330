#include "module_state.h"

#include "com_server.h"
#include "coresources.h"
#include "driver_use_mutex.h"

namespace ui {
namespace {

HMODULE g_module = nullptr;
DriverUseMutex g_driverUse;
CRITICAL_SECTION g_deviceDataLock;
bool g_deviceDataLockMade = false;
DeviceDataNode* g_deviceData = nullptr;

}  // namespace

ComServerCounts& ServerCounts() {
    static ComServerCounts counts;
    return counts;
}

HMODULE ModuleHandle() {
    return g_module;
}

CRITICAL_SECTION* DeviceDataLock() {
    return g_deviceDataLockMade ? &g_deviceDataLock : nullptr;
}

DeviceDataNode*& DeviceDataList() {
    return g_deviceData;
}

void AttachProcess(HMODULE module) {
    g_module = module;
    SetResourcesOwnModule(module);  // asked after the resource library for every resource
    g_driverUse.Hold();
    if (!g_deviceDataLockMade) {
        InitializeCriticalSection(&g_deviceDataLock);
        g_deviceDataLockMade = true;
    }
}

void DetachProcess() {
    g_module = nullptr;
    SetResourcesOwnModule(nullptr);
    g_driverUse.Release();
    if (g_deviceDataLockMade) {
        DeleteCriticalSection(&g_deviceDataLock);
        g_deviceDataLockMade = false;
    }
    // No other thread runs in the library any more: the list is freed without its lock.
    for (DeviceDataNode* node = g_deviceData; node;) {
        DeviceDataNode* next = node->m_next;
        if (node->m_record) HeapFree(GetProcessHeap(), 0, node->m_record);
        HeapFree(GetProcessHeap(), 0, node);
        node = next;
    }
    g_deviceData = nullptr;
}

}  // namespace ui
