// SNMP utility functions: the SNMP allocator and the copy, compare and free helpers of identifiers,
// values and variable bindings.
#include <cstdlib>
#include <cstring>

#include <win/snmp.h>
#include <win/winbase.h>

WINBASEAPI LPVOID SnmpUtilMemAlloc(UINT nBytes) {
    // A zero-byte request still gives a distinct block, freed like any other.
    void* block = std::calloc(nBytes == 0 ? 1 : nBytes, 1);
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

WINBASEAPI void SnmpUtilMemFree(LPVOID pMem) { std::free(pMem); }

WINBASEAPI SNMPAPI SnmpUtilOidCpy(AsnObjectIdentifier* pOidDst, AsnObjectIdentifier* pOidSrc) {
    if (!pOidDst || !pOidSrc || (pOidSrc->idLength != 0 && !pOidSrc->ids)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SNMPAPI_ERROR;
    }
    pOidDst->idLength = 0;
    pOidDst->ids = nullptr;
    if (pOidSrc->idLength == 0) return SNMPAPI_NOERROR;
    if (pOidSrc->idLength > 0xFFFFFFFFu / sizeof(UINT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SNMPAPI_ERROR;
    }
    auto* ids = static_cast<UINT*>(SnmpUtilMemAlloc(pOidSrc->idLength * static_cast<UINT>(sizeof(UINT))));
    if (!ids) return SNMPAPI_ERROR;
    std::memcpy(ids, pOidSrc->ids, pOidSrc->idLength * sizeof(UINT));
    pOidDst->ids = ids;
    pOidDst->idLength = pOidSrc->idLength;
    return SNMPAPI_NOERROR;
}

WINBASEAPI INT SnmpUtilOidCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2) {
    UINT length1 = (pOid1 && pOid1->ids) ? pOid1->idLength : 0;
    UINT length2 = (pOid2 && pOid2->ids) ? pOid2->idLength : 0;
    UINT common = length1 < length2 ? length1 : length2;
    for (UINT i = 0; i < common; ++i) {
        if (pOid1->ids[i] != pOid2->ids[i]) return pOid1->ids[i] < pOid2->ids[i] ? -1 : 1;
    }
    if (length1 == length2) return 0;
    return length1 < length2 ? -1 : 1;
}

WINBASEAPI void SnmpUtilOidFree(AsnObjectIdentifier* pOid) {
    if (!pOid) return;
    SnmpUtilMemFree(pOid->ids);
    pOid->ids = nullptr;
    pOid->idLength = 0;
}

WINBASEAPI void SnmpUtilAsnAnyFree(AsnAny* pAny) {
    if (!pAny) return;
    switch (pAny->asnType) {
    case ASN_OBJECTIDENTIFIER:
        SnmpUtilOidFree(&pAny->asnValue.object);
        break;
    case ASN_OCTETSTRING:
    case ASN_BITS:
    case ASN_SEQUENCE:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
        if (pAny->asnValue.string.dynamic) SnmpUtilMemFree(pAny->asnValue.string.stream);
        break;
    default:
        break;
    }
    std::memset(&pAny->asnValue, 0, sizeof(pAny->asnValue));
    pAny->asnType = ASN_NULL;
}

WINBASEAPI void SnmpUtilVarBindFree(SnmpVarBind* pVb) {
    if (!pVb) return;
    SnmpUtilOidFree(&pVb->name);
    SnmpUtilAsnAnyFree(&pVb->value);
}

WINBASEAPI void SnmpUtilVarBindListFree(SnmpVarBindList* pVbl) {
    if (!pVbl) return;
    if (pVbl->list) {
        for (UINT i = 0; i < pVbl->len; ++i) SnmpUtilVarBindFree(&pVbl->list[i]);
    }
    SnmpUtilMemFree(pVbl->list);
    pVbl->list = nullptr;
    pVbl->len = 0;
}
