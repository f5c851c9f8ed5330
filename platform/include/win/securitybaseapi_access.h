// Security descriptors and the access check of a file: what the current user may do with a file
// or folder of the machine. A descriptor read from a file names that file; the access check asks
// this computer whether the machine's process could open it so (access(2)). Tokens are the
// process's own; the machine's processes all act as the machine's one user.
#pragma once

#include "handleapi.h"
#include "securitybaseapi.h"
#include "wintypes.h"

typedef void* HLOCAL;
#ifndef ERROR_NO_IMPERSONATION_TOKEN
#define ERROR_NO_IMPERSONATION_TOKEN 1309L
#endif
struct ACL;
typedef ACL* PACL;
typedef void* PSECURITY_DESCRIPTOR;
typedef DWORD ACCESS_MASK;
typedef DWORD SECURITY_INFORMATION;

// The absolute descriptor of Windows x64.
struct SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    WORD Control;
    PSID Owner;
    PSID Group;
    PACL Sacl;
    PACL Dacl;
};
static_assert(sizeof(SECURITY_DESCRIPTOR) == 40);
#define SECURITY_DESCRIPTOR_REVISION 1
#define SECURITY_DESCRIPTOR_MIN_LENGTH 40
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_DEFAULTED 0x0008

struct GENERIC_MAPPING {
    ACCESS_MASK GenericRead;
    ACCESS_MASK GenericWrite;
    ACCESS_MASK GenericExecute;
    ACCESS_MASK GenericAll;
};
struct PRIVILEGE_SET {
    DWORD PrivilegeCount;
    DWORD Control;
    BYTE Privilege[12];  // one LUID_AND_ATTRIBUTES
};

enum SE_OBJECT_TYPE { SE_UNKNOWN_OBJECT_TYPE = 0, SE_FILE_OBJECT = 1 };
enum SECURITY_IMPERSONATION_LEVEL { SecurityAnonymous, SecurityIdentification, SecurityImpersonation, SecurityDelegation };

#define OWNER_SECURITY_INFORMATION 0x00000001L
#define GROUP_SECURITY_INFORMATION 0x00000002L
#define DACL_SECURITY_INFORMATION 0x00000004L

#define TOKEN_DUPLICATE 0x0002
#define TOKEN_IMPERSONATE 0x0004
#define TOKEN_QUERY 0x0008
#define TOKEN_ADJUST_PRIVILEGES 0x0020

#define FILE_GENERIC_READ 0x00120089L
#define FILE_GENERIC_WRITE 0x00120116L
#define FILE_GENERIC_EXECUTE 0x001200A0L
#define FILE_ALL_ACCESS 0x001F01FFL

WINBASEAPI BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision);
// A present null DACL lets everyone in.
WINBASEAPI BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent, PACL pDacl,
                                          BOOL bDaclDefaulted);
// A file's or folder's descriptor, freed with LocalFree; ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when it does not exist. The owner, group and DACL out pointers point into it.
WINBASEAPI DWORD GetNamedSecurityInfoW(LPCWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                                       PSID* ppsidOwner, PSID* ppsidGroup, PACL* ppDacl, PACL* ppSacl,
                                       PSECURITY_DESCRIPTOR* ppSecurityDescriptor);
WINBASEAPI HLOCAL LocalFree(HLOCAL hMem);
WINBASEAPI BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, HANDLE* TokenHandle);
WINBASEAPI BOOL DuplicateToken(HANDLE ExistingTokenHandle, SECURITY_IMPERSONATION_LEVEL ImpersonationLevel,
                               HANDLE* DuplicateTokenHandle);
WINBASEAPI void MapGenericMask(ACCESS_MASK* AccessMask, GENERIC_MAPPING* GenericMapping);
// Only for descriptors of files (GetNamedSecurityInfoW) and impersonation tokens (DuplicateToken).
WINBASEAPI BOOL AccessCheck(PSECURITY_DESCRIPTOR pSecurityDescriptor, HANDLE ClientToken, ACCESS_MASK DesiredAccess,
                            GENERIC_MAPPING* GenericMapping, PRIVILEGE_SET* PrivilegeSet, DWORD* PrivilegeSetLength,
                            ACCESS_MASK* GrantedAccess, BOOL* AccessStatus);
