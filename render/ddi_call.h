// The common steps of the plug-in's graphics functions (internal to the DDI sources).
#pragma once

#include "hook_table.h"
#include "oem_pdev.h"

namespace render::ddi {

// The PDEV's hook table (an empty one when it has none).
inline const PluginHooks& HooksOf(const OemPdev& pdev) {
    static const PluginHooks kNoHooks{};
    return pdev.m_hooks ? *pdev.m_hooks : kNoHooks;
}

// Offers a call to its hook: true when the hook drew it (any answer but the two pass-on ones).
template <class Hook, class Result, class... Args>
bool HookDrew(Hook hook, Result* result, Args... args) {
    return hook && !HookPassesOn(hook(args..., result));
}

// The driver's own function with the call's (possibly changed) arguments; failed when the driver
// did not give one.
template <class Function, class Result, class... Args>
Result CallUnidrv(const OemPdev& pdev, UnidrvFn which, Result failed, Args... args) {
    const Function function = UnidrvFunction<Function>(pdev, which);
    return function ? function(args...) : failed;
}

// A drawing function the plug-in only passes on: offered to its hook, then, when the hook did not
// draw it, to the driver's own function. FALSE without a PDEV.
template <class Function, class Hook, class... Args>
BOOL PassOn(const OemPdev* pdev, Hook PluginHooks::*hook, UnidrvFn which, Args... args) {
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).*hook, &result, args...)) return TRUE;
    return CallUnidrv<Function>(*pdev, which, FALSE, args...);
}

}  // namespace render::ddi
