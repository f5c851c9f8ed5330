// The test script of MessageBoxW: the answers the headless user gives, and what each message box
// showed.
#pragma once

#include <string>
#include <vector>

#include <win/winuser.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::u16string caption;
    std::u16string text;
    UINT style = 0;
    int answer = 0;
};

// Queues the answers of the next message boxes, in order (IDOK, IDYES, ...). A message box with no
// queued answer gets its default button's.
PALVEX_API void QueueMessageBoxAnswers(const std::vector<int>& answers);
// The message boxes shown since the last call (or since the script was reset), oldest first.
PALVEX_API std::vector<MessageBoxRecord> TakeMessageBoxRecords();
// Drops the queued answers and the records.
PALVEX_API void ResetMessageBoxScript();

}  // namespace palvex
