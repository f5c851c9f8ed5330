// The classes a driver plug-in library serves through DllGetClassObject, checked case by case.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include <win/windows.h>

namespace palvex::testing {

struct ClassObjectCase {
    const char* what;
    CLSID clsid;
    IID iid;
    HRESULT expected;
};

// Asks for each case's class object: the answer is the case's; an object served comes back (and
// is released), and one refused for its interface leaves the out pointer null.
inline void ExpectClassObjects(LPFNGETCLASSOBJECT getClassObject, std::initializer_list<ClassObjectCase> cases) {
    for (const ClassObjectCase& c : cases) {
        SCOPED_TRACE(c.what);
        void* object = reinterpret_cast<void*>(1);
        const HRESULT result = getClassObject(c.clsid, c.iid, &object);
        EXPECT_EQ(static_cast<DWORD>(result), static_cast<DWORD>(c.expected));
        if (result == S_OK) {
            ASSERT_NE(object, nullptr);
            static_cast<IUnknown*>(object)->Release();
        } else if (result == E_NOINTERFACE) {
            EXPECT_EQ(object, nullptr);
        }
    }
}

}  // namespace palvex::testing
