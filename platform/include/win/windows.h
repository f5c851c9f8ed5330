// Everything a module of the package calls of the platform.
#pragma once

#include "handleapi.h"
#include "strsafe.h"
#include "stringapiset.h"
#include "synchapi.h"
#include "sysinfoapi.h"
#include "winbase.h"
#include "winerror.h"
#include "winosinfo.h"
#include "winprofile.h"
#include "winreg.h"
#include "winresource.h"
#include "winspool.h"
#include "wintypes.h"
#include "winver.h"
