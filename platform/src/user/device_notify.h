// Device-change broadcasts to the windows registered for them (internal to the platform library).
#pragma once

#include <string>

#include <win/dbt.h>

namespace palvex::win {

// Sends WM_DEVICECHANGE with event (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE) and a device
// interface record of this class and path to every live window registered for the class.
void BroadcastDeviceInterface(UINT event, const GUID& interfaceClass, const std::u16string& path);

}  // namespace palvex::win
