// Security descriptors, the process token and the access check of the machine's files.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <palvex/paths.h>
#include <win/securitybaseapi_access.h>
#include <win/winbase.h>
#include <win/winerror.h>

#include "kernel/kernel_objects.h"

namespace {

constexpr uint32_t kFileDescriptorMagic = 0x46534443;  // "FSDC"

// A descriptor that GetNamedSecurityInfoW made: the file it describes, for the access check.
struct FileDescriptor {
    SECURITY_DESCRIPTOR descriptor;
    uint32_t magic;
    char hostPath[1];  // zero-terminated, allocated to its length
};

class Token : public palvex::kernel::KernelObject {
public:
    explicit Token(bool impersonation) : m_impersonation(impersonation) {}
    bool impersonation() const { return m_impersonation; }

private:
    bool m_impersonation;
};

}  // namespace

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision) {
    if (!pSecurityDescriptor || dwRevision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memset(pSecurityDescriptor, 0, sizeof(SECURITY_DESCRIPTOR));
    static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
    return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent, PACL pDacl, BOOL bDaclDefaulted) {
    auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
    if (!descriptor || descriptor->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    descriptor->Control = static_cast<WORD>((descriptor->Control & ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED)) |
                                            (bDaclPresent ? SE_DACL_PRESENT : 0) | (bDaclDefaulted ? SE_DACL_DEFAULTED : 0));
    descriptor->Dacl = bDaclPresent ? pDacl : nullptr;
    return TRUE;
}

DWORD GetNamedSecurityInfoW(LPCWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION, PSID* ppsidOwner, PSID* ppsidGroup,
                            PACL* ppDacl, PACL* ppSacl, PSECURITY_DESCRIPTOR* ppSecurityDescriptor) {
    if (!pObjectName || ObjectType != SE_FILE_OBJECT || !ppSecurityDescriptor) return ERROR_INVALID_PARAMETER;
    const std::filesystem::path host = palvex::HostPath(pObjectName);
    std::error_code error;
    if (!std::filesystem::exists(host, error)) {
        return std::filesystem::exists(host.parent_path(), error) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    const std::string text = host.string();
    auto* block = static_cast<FileDescriptor*>(std::calloc(1, sizeof(FileDescriptor) + text.size()));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    block->descriptor.Revision = SECURITY_DESCRIPTOR_REVISION;
    block->magic = kFileDescriptorMagic;
    std::memcpy(block->hostPath, text.c_str(), text.size() + 1);
    // The machine keeps no owners or lists of its own: the links stay empty.
    if (ppsidOwner) *ppsidOwner = nullptr;
    if (ppsidGroup) *ppsidGroup = nullptr;
    if (ppDacl) *ppDacl = nullptr;
    if (ppSacl) *ppSacl = nullptr;
    *ppSecurityDescriptor = block;
    return ERROR_SUCCESS;
}

HLOCAL LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}

BOOL OpenProcessToken(HANDLE, DWORD, HANDLE* TokenHandle) {
    if (!TokenHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *TokenHandle = palvex::kernel::KernelHandles().Insert(std::make_shared<Token>(false));
    return TRUE;
}

BOOL DuplicateToken(HANDLE ExistingTokenHandle, SECURITY_IMPERSONATION_LEVEL ImpersonationLevel, HANDLE* DuplicateTokenHandle) {
    if (!DuplicateTokenHandle || !palvex::kernel::FindKernelObject<Token>(ExistingTokenHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *DuplicateTokenHandle = palvex::kernel::KernelHandles().Insert(std::make_shared<Token>(ImpersonationLevel >= SecurityImpersonation));
    return TRUE;
}

void MapGenericMask(ACCESS_MASK* AccessMask, GENERIC_MAPPING* GenericMapping) {
    if (!AccessMask || !GenericMapping) return;
    ACCESS_MASK mask = *AccessMask;
    if (mask & GENERIC_READ) mask |= GenericMapping->GenericRead;
    if (mask & GENERIC_WRITE) mask |= GenericMapping->GenericWrite;
    if (mask & GENERIC_EXECUTE) mask |= GenericMapping->GenericExecute;
    if (mask & GENERIC_ALL) mask |= GenericMapping->GenericAll;
    *AccessMask = mask & ~static_cast<ACCESS_MASK>(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

BOOL AccessCheck(PSECURITY_DESCRIPTOR pSecurityDescriptor, HANDLE ClientToken, ACCESS_MASK DesiredAccess, GENERIC_MAPPING*,
                 PRIVILEGE_SET*, DWORD* PrivilegeSetLength, ACCESS_MASK* GrantedAccess, BOOL* AccessStatus) {
    const auto token = palvex::kernel::FindKernelObject<Token>(ClientToken);
    if (!token) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!token->impersonation()) {
        SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
        return FALSE;
    }
    const auto* block = static_cast<const FileDescriptor*>(pSecurityDescriptor);
    if (!block || block->magic != kFileDescriptorMagic || !PrivilegeSetLength || !GrantedAccess || !AccessStatus) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int mode = 0;
    if (DesiredAccess & (FILE_GENERIC_READ & 0xFFFF)) mode |= R_OK;
    if (DesiredAccess & (FILE_GENERIC_WRITE & 0xFFFF)) mode |= W_OK;
    if (DesiredAccess & (FILE_GENERIC_EXECUTE & 0xFFFF & ~0x0080)) mode |= X_OK;
    const bool granted = access(block->hostPath, mode) == 0;
    *AccessStatus = granted ? TRUE : FALSE;
    *GrantedAccess = granted ? DesiredAccess : 0;
    if (!granted) SetLastError(ERROR_ACCESS_DENIED);
    return TRUE;
}
