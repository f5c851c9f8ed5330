// SNMP data types and utility functions of the simulated platform: object identifiers, values,
// variable bindings, and the allocator every SNMP call uses for the memory it hands out.
#pragma once

#include "wintypes.h"

// The SNMP structures are packed to 4 bytes, as the platform declares them.
#pragma pack(push, 4)

typedef LONG AsnInteger32;
typedef ULONG AsnUnsigned32;
typedef AsnUnsigned32 AsnCounter32;
typedef AsnUnsigned32 AsnGauge32;
typedef AsnUnsigned32 AsnTimeticks;
typedef AsnInteger32 AsnInteger;

// A 64-bit counter (SNMPv2 only; never carried by an SNMPv1 message).
struct AsnCounter64 {
    ULONGLONG QuadPart;
};

// Bytes of a value. When dynamic is TRUE the stream was allocated with SnmpUtilMemAlloc and is
// freed with the value.
struct AsnOctetString {
    BYTE* stream;
    UINT length;
    BOOL dynamic;
};
typedef AsnOctetString AsnBits;
typedef AsnOctetString AsnSequence;
typedef AsnOctetString AsnIPAddress;
typedef AsnOctetString AsnNetworkAddress;
typedef AsnOctetString AsnDisplayString;
typedef AsnOctetString AsnOpaque;

// An object identifier: idLength arcs at ids (allocated with SnmpUtilMemAlloc).
struct AsnObjectIdentifier {
    UINT idLength;
    UINT* ids;
};
typedef AsnObjectIdentifier AsnObjectName;

// A typed value; asnType is one of the ASN_ tags below and selects the union member.
struct AsnAny {
    BYTE asnType;
    union {
        AsnInteger32 number;
        AsnUnsigned32 unsigned32;
        AsnCounter64 counter64;
        AsnOctetString string;
        AsnBits bits;
        AsnObjectIdentifier object;
        AsnSequence sequence;
        AsnIPAddress address;
        AsnCounter32 counter;
        AsnGauge32 gauge;
        AsnTimeticks ticks;
        AsnOpaque arbitrary;
    } asnValue;
};
typedef AsnAny AsnObjectSyntax;

struct SnmpVarBind {
    AsnObjectName name;
    AsnObjectSyntax value;
};
typedef SnmpVarBind RFC1157VarBind;

struct SnmpVarBindList {
    SnmpVarBind* list;
    UINT len;
};
typedef SnmpVarBindList RFC1157VarBindList;

#pragma pack(pop)

static_assert(sizeof(AsnOctetString) == 16 && sizeof(AsnObjectIdentifier) == 12);
static_assert(offsetof(AsnObjectIdentifier, ids) == 4);
static_assert(sizeof(AsnAny) == 20 && offsetof(AsnAny, asnValue) == 4);
static_assert(sizeof(SnmpVarBind) == 32 && offsetof(SnmpVarBind, value) == 12);
static_assert(sizeof(SnmpVarBindList) == 12 && offsetof(SnmpVarBindList, len) == 8);

// Tag classes and forms of the basic encoding rules.
#define ASN_UNIVERSAL 0x00
#define ASN_APPLICATION 0x40
#define ASN_CONTEXT 0x80
#define ASN_PRIVATE 0xC0
#define ASN_PRIMITIVE 0x00
#define ASN_CONSTRUCTOR 0x20

// Value types (asnType).
#define ASN_INTEGER (ASN_UNIVERSAL | ASN_PRIMITIVE | 0x02)
#define ASN_INTEGER32 ASN_INTEGER
#define ASN_BITS (ASN_UNIVERSAL | ASN_PRIMITIVE | 0x03)
#define ASN_OCTETSTRING (ASN_UNIVERSAL | ASN_PRIMITIVE | 0x04)
#define ASN_NULL (ASN_UNIVERSAL | ASN_PRIMITIVE | 0x05)
#define ASN_OBJECTIDENTIFIER (ASN_UNIVERSAL | ASN_PRIMITIVE | 0x06)
#define ASN_SEQUENCE (ASN_UNIVERSAL | ASN_CONSTRUCTOR | 0x10)
#define ASN_SEQUENCEOF ASN_SEQUENCE
#define ASN_IPADDRESS (ASN_APPLICATION | ASN_PRIMITIVE | 0x00)
#define ASN_COUNTER32 (ASN_APPLICATION | ASN_PRIMITIVE | 0x01)
#define ASN_GAUGE32 (ASN_APPLICATION | ASN_PRIMITIVE | 0x02)
#define ASN_TIMETICKS (ASN_APPLICATION | ASN_PRIMITIVE | 0x03)
#define ASN_OPAQUE (ASN_APPLICATION | ASN_PRIMITIVE | 0x04)
#define ASN_COUNTER64 (ASN_APPLICATION | ASN_PRIMITIVE | 0x06)
#define ASN_UNSIGNED32 (ASN_APPLICATION | ASN_PRIMITIVE | 0x07)
// SNMPv2 exception values; they carry no content.
#define SNMP_EXCEPTION_NOSUCHOBJECT (ASN_CONTEXT | ASN_PRIMITIVE | 0x00)
#define SNMP_EXCEPTION_NOSUCHINSTANCE (ASN_CONTEXT | ASN_PRIMITIVE | 0x01)
#define SNMP_EXCEPTION_ENDOFMIBVIEW (ASN_CONTEXT | ASN_PRIMITIVE | 0x02)

// Protocol data unit types.
#define SNMP_PDU_GET (ASN_CONTEXT | ASN_CONSTRUCTOR | 0x0)
#define SNMP_PDU_GETNEXT (ASN_CONTEXT | ASN_CONSTRUCTOR | 0x1)
#define SNMP_PDU_RESPONSE (ASN_CONTEXT | ASN_CONSTRUCTOR | 0x2)
#define SNMP_PDU_SET (ASN_CONTEXT | ASN_CONSTRUCTOR | 0x3)
#define SNMP_PDU_V1TRAP (ASN_CONTEXT | ASN_CONSTRUCTOR | 0x4)

// Error status of a response.
#define SNMP_ERRORSTATUS_NOERROR 0
#define SNMP_ERRORSTATUS_TOOBIG 1
#define SNMP_ERRORSTATUS_NOSUCHNAME 2
#define SNMP_ERRORSTATUS_BADVALUE 3
#define SNMP_ERRORSTATUS_READONLY 4
#define SNMP_ERRORSTATUS_GENERR 5

// Results of the utility functions.
#define SNMPAPI_NOERROR TRUE
#define SNMPAPI_ERROR FALSE
typedef INT SNMPAPI;

// Memory: zeroed blocks; SnmpUtilMemFree accepts NULL.
WINBASEAPI LPVOID SnmpUtilMemAlloc(UINT nBytes);
WINBASEAPI void SnmpUtilMemFree(LPVOID pMem);

// Object identifiers. SnmpUtilOidCmp orders by arcs, then a prefix before the longer identifier.
WINBASEAPI SNMPAPI SnmpUtilOidCpy(AsnObjectIdentifier* pOidDst, AsnObjectIdentifier* pOidSrc);
WINBASEAPI INT SnmpUtilOidCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2);
WINBASEAPI void SnmpUtilOidFree(AsnObjectIdentifier* pOid);

// Values and variable bindings. A freed value becomes ASN_NULL; a freed list is empty.
WINBASEAPI void SnmpUtilAsnAnyFree(AsnAny* pAny);
WINBASEAPI void SnmpUtilVarBindFree(SnmpVarBind* pVb);
WINBASEAPI void SnmpUtilVarBindListFree(SnmpVarBindList* pVbl);
