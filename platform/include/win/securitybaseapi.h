// Security identifiers and the membership test of the current user. The machine's user belongs
// to Everyone (S-1-1-0), Users (S-1-5-32-545) and, when the OS profile says so, Administrators
// (S-1-5-32-544).
#pragma once

#include "wintypes.h"

struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};
typedef SID_IDENTIFIER_AUTHORITY* PSID_IDENTIFIER_AUTHORITY;
typedef void* PSID;
typedef BOOL* PBOOL;

#define SECURITY_WORLD_SID_AUTHORITY {{0, 0, 0, 0, 0, 1}}
#define SECURITY_NT_AUTHORITY {{0, 0, 0, 0, 0, 5}}
#define SECURITY_WORLD_RID 0x00000000L
#define SECURITY_BUILTIN_DOMAIN_RID 0x00000020L
#define DOMAIN_ALIAS_RID_ADMINS 0x00000220L
#define DOMAIN_ALIAS_RID_USERS 0x00000221L

// A SID of up to eight sub-authorities (nSubAuthorityCount of them are used); FreeSid frees it.
WINBASEAPI BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                         DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                         DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                         DWORD nSubAuthority6, DWORD nSubAuthority7, PSID* pSid);
WINBASEAPI PVOID FreeSid(PSID pSid);
// TokenHandle null: the current user. Another token: FALSE, ERROR_NO_IMPERSONATION_TOKEN.
WINBASEAPI BOOL CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, PBOOL IsMember);
