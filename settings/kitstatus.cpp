#include "kitstatus.h"

namespace {

struct SeverityRange {
    DWORD first;
    DWORD end;  // one past the last code
    DWORD severity;
};

constexpr SeverityRange kSeverityRanges[] = {
    {61400, 61800, KIT_SEVERITY_WARNING}, {61800, 62200, KIT_SEVERITY_ERROR}, {62200, 62600, KIT_SEVERITY_FATAL},
    {62600, 63000, KIT_SEVERITY_WARNING}, {63000, 63400, KIT_SEVERITY_ERROR}, {63400, 63800, KIT_SEVERITY_FATAL},
    {63800, 64200, KIT_SEVERITY_WARNING}, {64200, 64600, KIT_SEVERITY_ERROR}, {64600, 65000, KIT_SEVERITY_FATAL},
};

}  // namespace

extern "C" DWORD ReportStatus(DWORD code, ...) {
    for (const SeverityRange& range : kSeverityRanges)
        if (code >= range.first && code < range.end) return range.severity;
    return KIT_SEVERITY_SUCCESS;
}
