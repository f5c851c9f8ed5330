// The common library loaded the way the plug-ins load it, on a fresh machine for each test.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <optional>

#include <palvex/machine.h>

#include "tovqebco.h"

namespace tovqebco_test {

class LoadedLibrary {
public:
    LoadedLibrary() : m_handle(dlopen(TOVQEBCO_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {
        if (!m_handle) return;
        assignJobId = reinterpret_cast<decltype(&QvCom_AssignJobID)>(dlsym(m_handle, "QvCom_AssignJobID"));
        getTraysInfo = reinterpret_cast<decltype(&QvCom_GetTraysInfo)>(dlsym(m_handle, "QvCom_GetTraysInfo"));
        ordinals = static_cast<const PalvexOrdinalEntry*>(dlsym(m_handle, PALVEX_ORDINAL_TABLE_SYMBOL));
    }
    ~LoadedLibrary() { Unload(); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return m_handle != nullptr; }
    void Unload() {
        if (m_handle) dlclose(m_handle);
        m_handle = nullptr;
    }

    decltype(&QvCom_AssignJobID) assignJobId = nullptr;
    decltype(&QvCom_GetTraysInfo) getTraysInfo = nullptr;
    const PalvexOrdinalEntry* ordinals = nullptr;

private:
    void* m_handle;
};

// The machine first, so that the library's load already happens on it.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.loaded()) << dlerror(); }

    palvex::TestMachine m_machine;
    LoadedLibrary m_library;
};

}  // namespace tovqebco_test
