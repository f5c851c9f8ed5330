// The PJL job header the plug-in writes when the job starts, and the texts that go into it: the
// JOBNAME line kept from the document's start, the user name, the COMMENT line with the system's
// and the driver's versions, and the held-job and user-tracking accounts.
//
// Quoted PJL values cannot carry a double quote or a control character (a line break would end
// the command and start another one), so these are replaced: a double quote by an apostrophe, a
// control character by a space.
#pragma once

#include <string>
#include <string_view>

#include <win/windows.h>

// Most bytes of the document name in the JOBNAME line, of the user name, of an account value.
inline constexpr size_t kJobNameBytes = 93;
inline constexpr size_t kUserNameBytes = 79;
inline constexpr size_t kAccountValueBytes = 63;
// Most bytes of one PJL line (a 256-byte buffer with its NUL).
inline constexpr size_t kPjlLineBytes = 255;

// Cuts UTF-8 text of more than maxBytes bytes before the character that holds byte maxBytes + 1.
void CutUtf8(std::string* text, size_t maxBytes);

// "@PJL SET JOBNAME=\"<name>\"\n" of a document name; false when it cannot be converted.
bool JobNameLine(std::u16string_view documentName, std::string* line);
// "@PJL SET USERNAME=\"<name>\"\n"; false when it cannot be converted.
bool UserNameLine(std::u16string_view userName, std::string* line);
// "@PJL COMMENT \"<text>\"\n" with the text in the ANSI code page, cut on a character boundary so
// that the line fits kPjlLineBytes; false when it cannot be converted.
bool CommentLine(std::u16string_view text, std::string* line);

// The system's versions the COMMENT line describes.
struct SystemVersion {
    bool m_known = false;  // GetVersionExW answered
    OSVERSIONINFOEXW m_info{};
    bool m_productTypeKnown = false;  // GetProductInfo answered (6.0 on)
    DWORD m_productType = 0;
    bool m_serverR2 = false;           // GetSystemMetrics(SM_SERVERR2)
    WORD m_processorArchitecture = 0;  // GetSystemInfo
};
// The running system's versions: GetVersionExW, then (when it answered) GetProductInfo from 6.0
// on, GetSystemMetrics(SM_SERVERR2) and GetSystemInfo.
SystemVersion ReadSystemVersion();
// "Microsoft Windows " and the words that name the edition.
std::u16string OsDescription(const SystemVersion& version);
// The COMMENT text: driver text, system description, version numbers, service pack, universal
// driver version text.
std::u16string CommentText(std::u16string_view driverText, const SystemVersion& version,
                           std::u16string_view unidrvText);

// What the job header is made of.
struct JobHeaderValues {
    bool m_commentKnown = false;   // false: the comment is dropped
    std::u16string m_commentText;
    std::string m_jobNameLine;     // the job buffer; empty when none
    bool m_userNameKnown = false;
    std::u16string m_userName;
    bool m_jobIdKnown = false;
    std::string m_jobId;
    BYTE m_printType = 0;          // _PRINT_TYPE: 1 holds the job
    BYTE m_userTracking = 0;       // _USRACTPRN_ENABLED
    BYTE m_nupPages = 0;           // _NUP_PAGES
    std::u16string m_holdId, m_holdKey, m_userId, m_userKey;
};

// The user's held-print and user-tracking accounts for a printer: the REG_SZ values of
// HKEY_CURRENT_USER "Software\\Orlune\\<model>\\<printer>\\PrinterDriverData", the model being the
// printer-data value "Model" and the printer the name GetPrinterW level 5 gives. What cannot be
// read stays empty (and is traced).
struct AccountValues {
    std::u16string m_holdId, m_holdKey, m_userId, m_userKey;
};
AccountValues ReadAccountValues(HANDLE printer);

// Where the header goes: a command string by id, or the bytes of one line.
class JobHeaderOutput {
public:
    virtual HRESULT SendString(DWORD id) = 0;
    virtual HRESULT SendLine(const std::string& line) = 0;

protected:
    ~JobHeaderOutput() = default;
};

// Writes the header in its order. A step that fails is left out and the header goes on; the
// answer is the last step's.
HRESULT WriteJobHeader(const JobHeaderValues& values, JobHeaderOutput& output);
