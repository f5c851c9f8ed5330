// Message boxes answered by the test script.
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <utility>

#include <palvex/message_box.h>

#include "crt/utf16.h"
#include "user/window_store.h"

namespace {

struct Script {
    std::mutex mutex;
    std::deque<int> answers;
    std::vector<palvex::MessageBoxRecord> records;
};

Script& TheScript() {
    static auto* script = new Script;  // outlives every static destructor
    return *script;
}

// The answer of the default button: MB_DEFBUTTONn picks the n-th button of the style's set.
int DefaultAnswer(UINT style) {
    static const int kButtons[][3] = {
        {IDOK, IDOK, IDOK},                 // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},         // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},       // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},            // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},                // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},      // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE}  // MB_CANCELTRYCONTINUE
    };
    const UINT set = style & MB_TYPEMASK;
    const UINT button = (style & MB_DEFMASK) >> 8;
    if (set >= std::size(kButtons) || button > 2) return IDOK;
    return kButtons[set][button];
}

}  // namespace

namespace palvex {

void QueueMessageBoxAnswers(const std::vector<int>& answers) {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.answers.insert(script.answers.end(), answers.begin(), answers.end());
}

std::vector<MessageBoxRecord> TakeMessageBoxRecords() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    return std::exchange(script.records, {});
}

void ResetMessageBoxScript() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.answers.clear();
    script.records.clear();
}

}  // namespace palvex

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    palvex::win::ReadEnvironmentScript();
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    palvex::MessageBoxRecord record;
    record.owner = hWnd;
    record.caption = lpCaption ? lpCaption : u"Error";
    record.text = lpText ? lpText : u"";
    record.style = uType;
    if (!script.answers.empty()) {
        record.answer = script.answers.front();
        script.answers.pop_front();
    } else {
        record.answer = DefaultAnswer(uType);
    }
    script.records.push_back(record);
    // A program run by a test in its own process tells it what it showed through this file.
    if (const char* log = std::getenv("PALVEX_MESSAGE_BOX_LOG"); log && *log) {
        std::u16string text = record.text;
        for (size_t at = 0; (at = text.find(u'\n', at)) != std::u16string::npos;) text.replace(at, 1, u"\\n");
        std::ofstream out(log, std::ios::app);
        out << palvex::text::ToUtf8(record.caption) << '\t' << palvex::text::ToUtf8(text) << '\t' << record.style << '\t'
            << record.answer << '\n';
    }
    return record.answer;
}
