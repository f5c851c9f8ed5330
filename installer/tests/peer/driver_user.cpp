// A process that uses the driver for the installer tests: it holds the named mutex given as its
// argument, says "ready" on its standard output, and lets go when its standard input closes.
#include <cstdio>
#include <string>

#include <palvex/utf8.h>
#include <win/windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, palvex::FromUtf8(argv[1]).c_str());
    if (!mutex) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(mutex);
    return 0;
}
