// QvCom_GetTraysInfo: the printer's four paper inputs from the Printer MIB input table.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "snmp_session.h"
#include "tovqebco.h"
#include "tray_paper_size.h"

namespace {

constexpr WCHAR kDefaultCommunity[] = u"wombat";
constexpr int kMaxCommunityLength = 255;

// The maker's identity object: its enterprise arc, then 1.205.1.1.1.0.
constexpr char kEnterpriseObject[] = ".1.3.6.1.4.1.32473.1.205.1.1.1.0";

// prtInputEntry and the columns asked of each input, in the order they are asked.
constexpr char kInputEntry[] = ".1.3.6.1.2.1.43.8.2.1";
enum Column { kInputType, kMediaName, kFeedSize, kCrossFeedSize, kColumnCount };
constexpr UINT kColumnNumbers[kColumnCount] = {2, 12, 4, 5};

struct TrayInput {
    UINT inputIndex;
    LONG expectedType;
};
constexpr TrayInput kTrayInputs[kTrayCount] = {{1, 4}, {2, 3}, {3, 3}, {5, 5}};

constexpr const char* kMediaNames[] = {"Plain", "Thick 1", "Thick 2", "Transparency"};
constexpr size_t kMaxMediaNameBytes = 63;

void InitialiseTrays(TRAYINFO* trays, WORD languageId) {
    for (int i = 0; i < kTrayCount; ++i) trays[i] = TRAYINFO{0, languageId == 1041 ? 3 : 4, 0, 0, 0};
}

LONG MediaIndex(const AsnAny* value) {
    if (!value || value->asnType != ASN_OCTETSTRING) return -1;
    const AsnOctetString& name = value->asnValue.string;
    if (name.length > kMaxMediaNameBytes || (name.length != 0 && !name.stream)) return -1;
    for (size_t i = 0; i < std::size(kMediaNames); ++i) {
        if (std::strlen(kMediaNames[i]) == name.length && std::memcmp(kMediaNames[i], name.stream, name.length) == 0)
            return static_cast<LONG>(i);
    }
    return -1;
}

LONG IntegerOr(const AsnAny* value, LONG fallback) {
    return (value && value->asnType == ASN_INTEGER) ? value->asnValue.number : fallback;
}

// Fills one tray from the answers: each expected variable is matched against the next answer not
// yet used; one without its answer keeps its default.
void ReadTray(const SnmpVarBind* answers, UINT answerCount, char (&names)[kColumnCount][64], const TrayInput& input,
              WORD languageId, TRAYINFO& tray) {
    const AsnAny* values[kColumnCount] = {};
    UINT next = 0;
    for (int column = 0; column < kColumnCount && next < answerCount; ++column) {
        AsnObjectIdentifier expected{};
        if (!SnmpMgrStrToOid(names[column], &expected)) continue;
        if (SnmpUtilOidCmp(&expected, const_cast<AsnObjectIdentifier*>(&answers[next].name)) == 0)
            values[column] = &answers[next++].value;
        SnmpUtilOidFree(&expected);
    }
    LONG type = IntegerOr(values[kInputType], 0);
    tray.inputType = type == input.expectedType ? type : 0;
    tray.mediaIndex = MediaIndex(values[kMediaName]);
    tray.feedSize = IntegerOr(values[kFeedSize], 0);
    tray.crossFeedSize = IntegerOr(values[kCrossFeedSize], 0);
    tray.paperSizeIndex = MatchTrayPaperSize(tray.feedSize, tray.crossFeedSize, languageId, tray.inputType);
}

}  // namespace

TOVQEBCO_API BOOL QvCom_GetTraysInfo(LPCWSTR agent, LPCWSTR community, DWORD languageId, TRAYINFO* trays) {
    if (!trays) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WORD language = LOWORD(languageId);
    InitialiseTrays(trays, language);
    if (!agent) return FALSE;
    if (!community) community = kDefaultCommunity;
    if (!*agent || !*community || lstrlenW(community) > kMaxCommunityLength) return FALSE;

    QvComSnmpSession session;
    if (!session.Open(agent, community)) return FALSE;

    const char* const enterprise[] = {kEnterpriseObject};
    if (!session.Get(enterprise, 1)) return FALSE;
    if (session.answerCount() < 1 || session.answers()[0].value.asnType != ASN_OCTETSTRING) return FALSE;

    for (int tray = 0; tray < kTrayCount; ++tray) {
        const TrayInput& input = kTrayInputs[tray];
        char names[kColumnCount][64];
        const char* request[kColumnCount];
        for (int column = 0; column < kColumnCount; ++column) {
            std::snprintf(names[column], sizeof(names[column]), "%s.%u.1.%u", kInputEntry, kColumnNumbers[column],
                          input.inputIndex);
            request[column] = names[column];
        }
        if (!session.Get(request, kColumnCount)) return FALSE;
        ReadTray(session.answers(), session.answerCount(), names, input, language, trays[tray]);
    }
    return TRUE;
}
