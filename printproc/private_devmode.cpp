#include "private_devmode.h"

#include <cstring>

namespace {

bool IsPostScript(DWORD pdlType) {
    return pdlType >= 20 && pdlType <= 29;
}

}  // namespace

DWORD PrivateBlockOffset(const DEVMODEW* devmode, DWORD pdlType) {
    const DWORD sizeAt = IsPostScript(pdlType) ? 114 : 8;
    const DWORD shortest = IsPostScript(pdlType) ? 117 : 11;
    WORD driverPart = 0;
    if (devmode->dmDriverExtra >= shortest)
        std::memcpy(&driverPart, reinterpret_cast<const BYTE*>(devmode) + devmode->dmSize + sizeAt, sizeof driverPart);
    return static_cast<DWORD>(devmode->dmSize) + driverPart;
}
