// The installer wizard program.
#include <win/windows.h>

int main() { return 0; }
