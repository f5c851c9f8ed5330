// QVOptItemHandlerIDANDPWD: the handler of the held-job ID (item 25402) and of the user-tracking
// ID (item 25502). It holds the account's ID and password as the popup last confirmed them:
// read from the per-user account key when the handler is made, stored on the sheet's Apply; a
// user-tracking account is also stored as soon as its popup's OK confirms it (and, when its ID is
// fit for held jobs, as the held-job account too).
#pragma once

#include "items/optitem_handler.h"
#include "printer_address.h"

inline constexpr DWORD kHeldJobIdItem = 25402;
inline constexpr DWORD kUserTrackingIdItem = 25502;

class QVOptItemHandlerIDANDPWD : public QORVAOptItemHandler {
public:
    QVOptItemHandlerIDANDPWD(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    // Takes the popup's values (at most 63 characters each) and marks them changed; the
    // user-tracking handler stores them at once (the changed mark stays when that fails, so that
    // Apply tries again).
    void SetIDandPWD(LPCWSTR id, LPCWSTR password);
    // On Apply (no dialog): stores changed values as this item's account.
    void SaveSettings(HWND window) override;

    LPCWSTR Id() const { return m_id; }
    LPCWSTR Password() const { return m_password; }
    DWORD Changed() const { return m_changed; }
    // The user-tracking values are to be stored as the held-job account too.
    void SetAlsoHeldJob(DWORD also) { m_alsoHeldJob = also; }
    DWORD AlsoHeldJob() const { return m_alsoHeldJob; }

private:
    // Stores the values as this item's account (and the held-job copy); TRUE when all succeeded.
    BOOL Store();

    WCHAR m_id[kAccountChars] = {};
    WCHAR m_password[kAccountChars] = {};
    DWORD m_changed = 0;
    DWORD m_alsoHeldJob = 0;
};
