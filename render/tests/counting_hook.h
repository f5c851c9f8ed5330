// A model hook for any plug-in method: counts its calls and answers what the test sets.
#pragma once

#include <win/windows.h>

namespace rendertest {

inline HRESULT g_hookAnswer = S_OK;
inline int g_hookCalls = 0;

template <class... Args>
struct CountingHook {
    static HRESULT Hook(Args...) {
        ++g_hookCalls;
        return g_hookAnswer;
    }
};

// Puts the counting hook into one slot of a hook table.
template <class... Args>
void Install(HRESULT (*&slot)(Args...)) {
    slot = &CountingHook<Args...>::Hook;
}

}  // namespace rendertest
