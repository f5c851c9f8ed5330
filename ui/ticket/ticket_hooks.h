// The model's PrintTicket hooks, which CoUIPlugin's constructor puts into CoUIPluginTicketHooks:
//   hook 0     the private namespace
//   hook 3     the PrintCapabilities trim (trim_capabilities.h)
//   hooks 1, 2, 4, 5   convert, expand and validate nothing (E_NOTIMPL: the defaults answer)
//   hooks 6, 7 empty routines
#pragma once

#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "ui_hooks.h"

// Hook 0: a new BSTR of the private namespace URI; E_OUTOFMEMORY when it cannot be made.
HRESULT QueryPrivateNamespace(BSTR* namespaceUri);

void FillTicketHooks(CoUIPluginTicketHooks* hooks);
