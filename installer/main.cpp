// The installer program's entry: its own resources, the application object and its start-up.
#include <afx/afxwin.h>
#include <palvex/library_entry.h>

#include "pardex_app.h"

namespace {
CPardexApp g_app;
}

int main(int argc, char** argv) {
    HMODULE module = palvex::AttachThisLibrary(reinterpret_cast<const void*>(&main));
    return AfxWinMain(module, argc, argv);
}
