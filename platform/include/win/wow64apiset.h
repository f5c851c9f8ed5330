// File-system redirection of a 32-bit program on 64-bit Windows. The machine's programs are
// native, so nothing is redirected; the calls keep the per-thread state a caller saves and puts
// back. On a 32-bit system there is no redirection to switch (ERROR_INVALID_FUNCTION).
#pragma once

#include "wintypes.h"

WINBASEAPI BOOL Wow64DisableWow64FsRedirection(PVOID* OldValue);
WINBASEAPI BOOL Wow64RevertWow64FsRedirection(PVOID OlValue);
