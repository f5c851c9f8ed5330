// The test script of SHBrowseForFolderW: what the headless user picks in the folder browser, and
// what each browser showed.
#pragma once

#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct FolderBrowserAnswer {
    enum Kind {
        Cancel,  // the user closes the browser
        Folder,  // the user picks folder (a Windows path)
        NoPath,  // the user picks an item without a file-system path (a network neighbourhood)
    } kind = Cancel;
    std::u16string folder;
};

struct FolderBrowserRecord {
    HWND owner = nullptr;
    bool rootGiven = false;
    std::u16string title;
    UINT flags = 0;
    std::u16string selection;  // the path the caller's callback selected, if any
};

// Queues the user's picks for the next browsers, in order; a browser with none is cancelled.
PALVEX_API void QueueFolderBrowserAnswers(const std::vector<FolderBrowserAnswer>& answers);
// The browsers shown since the last call, oldest first.
PALVEX_API std::vector<FolderBrowserRecord> TakeFolderBrowserRecords();
PALVEX_API void ResetFolderBrowserScript();

}  // namespace palvex
