// Security identifiers and group membership of the machine's user (win/securitybaseapi.h).
#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include <palvex/os_profile.h>
#include <win/securitybaseapi.h>
#include <win/winbase.h>

namespace {

// The bytes of a SID: revision 1, the count, the authority, then the sub-authorities.
struct Sid {
    BYTE revision;
    BYTE count;
    BYTE authority[6];
    DWORD subAuthority[8];
};

bool Is(const Sid& sid, BYTE authority, std::initializer_list<DWORD> subAuthorities) {
    if (sid.count != subAuthorities.size() || sid.authority[5] != authority) return false;
    for (int i = 0; i < 5; ++i)
        if (sid.authority[i]) return false;
    size_t i = 0;
    for (DWORD value : subAuthorities)
        if (sid.subAuthority[i++] != value) return false;
    return true;
}

}  // namespace

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount, DWORD a0,
                              DWORD a1, DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, PSID* pSid) {
    if (!pIdentifierAuthority || !pSid || nSubAuthorityCount > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* sid = static_cast<Sid*>(std::calloc(1, sizeof(Sid)));
    if (!sid) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    sid->revision = 1;
    sid->count = nSubAuthorityCount;
    std::memcpy(sid->authority, pIdentifierAuthority->Value, 6);
    const DWORD values[8] = {a0, a1, a2, a3, a4, a5, a6, a7};
    std::memcpy(sid->subAuthority, values, sizeof values);
    *pSid = sid;
    return TRUE;
}

PVOID FreeSid(PSID pSid) {
    std::free(pSid);
    return nullptr;
}

BOOL CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, PBOOL IsMember) {
    if (TokenHandle) {
        SetLastError(1309);  // ERROR_NO_IMPERSONATION_TOKEN: only the current user's own token here
        return FALSE;
    }
    if (!SidToCheck || !IsMember) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Sid& sid = *static_cast<const Sid*>(SidToCheck);
    bool member = false;
    if (Is(sid, 1, {SECURITY_WORLD_RID}) || Is(sid, 5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS})) {
        member = true;
    } else if (Is(sid, 5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS})) {
        try {
            member = palvex::GetOsProfile().administrator;
        } catch (...) {
            SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
    }
    *IsMember = member ? TRUE : FALSE;
    return TRUE;
}
