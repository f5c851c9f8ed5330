// Loading the system's own libraries for their functions: LoadLibraryW of a library of the system
// folder (setupapi.dll, kernel32.dll) gives a handle whose functions GetProcAddress finds by name.
// A function the running Windows version does not have is not found (ERROR_PROC_NOT_FOUND), as a
// program that looks a function up at run time expects. Other libraries are not loaded for code
// here (ERROR_MOD_NOT_FOUND); resource libraries go through LoadLibraryExW.
#pragma once

#include "winresource.h"
