// Item keys: the one u32 by which the framework knows an option item, computed from its OPTITEM.
//
//   DMPubID >= 100 or UserItemID != 0   UserItemID x 156 + DMPubID (HelpIndex 30150: 0x800075C6)
//   DMPubID 1..99                       DMPubID (the platform's standard items)
//   pName "#n"                          n & 0xFFFF, group n
//   pName "#n|m"                        m, group n
//   HelpIndex 0                         0: no key, no handler
//   HelpIndex 1019/1025..1028/1032/1037 0x80000000 | HelpIndex, with the index of the item's
//                                       UserData in the sheet's list in the upper 16 bits
//   any other HelpIndex                 0x80000000 | HelpIndex
#pragma once

#include <win/compstui.h>
#include <win/windows.h>

// Whether a pointer-sized value is an address (bits 16 and up not all clear) rather than a small
// value or a resource id.
inline bool IsAddressValue(ULONG_PTR value) {
    return (value >> 16) != 0;
}

inline constexpr DWORD kKitItemsPerPage = 156;   // DMPubID 100..255 per UserItemID
inline constexpr DWORD kHelpKeyFlag = 0x80000000u;
inline constexpr DWORD kSpecialHelpIndex = 30150;

// The sheet's list of UserData values (low 32 bits) that tell apart items sharing a help index.
// It only grows: the same value keeps its index. Grows on the heap it is made with.
class UserDataList {
public:
    explicit UserDataList(HANDLE heap) : m_heap(heap) {}
    ~UserDataList();
    UserDataList(const UserDataList&) = delete;
    UserDataList& operator=(const UserDataList&) = delete;

    // The value's index, appended when new; -1 when the list cannot grow.
    LONG IndexOf(DWORD value);
    DWORD Count() const { return m_count; }

private:
    HANDLE m_heap;
    DWORD* m_values = nullptr;
    DWORD m_count = 0;
    DWORD m_capacity = 0;
};

// The item's key; group (when given) receives the group number of the "#n" names, else 0.
// userData: the sheet's list, or null (then the help-index items carry no index).
DWORD GetPubID(const OPTITEM* item, UserDataList* userData, WORD* group);

// The DMPubID and UserItemID that give a kit key back (keys of 100 or more; below, DMPubID only).
void SplitKitKey(DWORD key, BYTE* dmPubId, BYTE* userItemId);
