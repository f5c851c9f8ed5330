#include "date_stamp.h"

#include <iterator>

#include <win/crttime.h>

namespace {

constexpr const WCHAR* kDateFormats[] = {u"'%y/%m/%d", u"%b %d,%Y", u"%m/%d/'%y", u"%d %b,%Y", u"%d/%m/'%y"};
constexpr const WCHAR* kTimeFormats[] = {u" %I:%M %p", u" %H:%M"};

// Characters of the formatted text, its NUL included.
constexpr size_t kStampChars = 64;

}  // namespace

HRESULT FormatDateTimeStamp(BYTE enabled, BYTE dateFormat, BYTE timeFormat, LPWSTR text, DWORD textBytes) {
    if (!text || textBytes < sizeof(WCHAR)) return E_POINTER;
    text[0] = 0;
    if ((enabled != 1 && enabled != 2) || dateFormat >= std::size(kDateFormats) || timeFormat >= std::size(kTimeFormats))
        return S_OK;
    const __time64_t now = _time64(nullptr);
    tm local{};
    if (_localtime64_s(&local, &now) != 0) return E_FAIL;
    WCHAR format[32] = {};
    lstrcpynW(format, kDateFormats[dateFormat], static_cast<int>(std::size(format)));
    if (enabled == 2) lstrcatW(format, kTimeFormats[timeFormat]);
    WCHAR stamp[kStampChars] = {};
    if (wcsftime(stamp, kStampChars, format, &local) == 0) stamp[0] = 0;
    // The stamp fits in kStampChars, so a larger buffer takes all of it.
    const DWORD chars = textBytes / sizeof(WCHAR) < kStampChars ? textBytes / sizeof(WCHAR) : kStampChars;
    lstrcpynW(text, stamp, static_cast<int>(chars));
    return S_OK;
}
