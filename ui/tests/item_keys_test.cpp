// Item keys from the OPTITEM fields, tried row by row.
#include "items/item_key.h"
#include "optitem_sheet.h"

namespace uitest {
namespace {

OPTITEM Item(BYTE dmPubId, BYTE userItemId, DWORD help = 0, LPCWSTR name = nullptr, ULONG_PTR userData = 0) {
    OPTITEM item{};
    item.cbSize = sizeof item;
    item.DMPubID = dmPubId;
    item.UserItemID = userItemId;
    item.HelpIndex = help;
    item.pName = const_cast<LPWSTR>(name);
    item.UserData = userData;
    return item;
}

TEST(ItemKeys, RowsAreTriedFromTheTop) {
    struct Case {
        const char* what;
        OPTITEM item;
        DWORD key;
        WORD group;
    } cases[] = {
        {"kit item", Item(110, 2), 422, 0},
        {"kit item with help 30150", Item(110, 2, 30150), 0x800075C6, 0},
        {"kit item of page 0", Item(100, 0), 100, 0},
        {"standard item", Item(9, 0, 1025), 9, 0},
        {"#n", Item(0, 0, 0, u"#5"), 5, 5},
        {"#n, n above 16 bits", Item(0, 0, 0, u"#65541"), 5, 5},
        {"#n|m", Item(0, 0, 0, u"#3|42"), 42, 3},
        {"a resource id is not parsed", Item(0, 0, 77, reinterpret_cast<LPCWSTR>(0x23)), 0x8000004D, 0},
        {"no help", Item(0, 0, 0, u"plain"), 0, 0},
        {"shared help without UserData", Item(0, 0, 1025), 0, 0},
        {"other help", Item(0, 0, 4000), 0x80000FA0, 0},
    };
    for (const Case& c : cases) {
        WORD group = 0xFFFF;
        EXPECT_EQ(GetPubID(&c.item, nullptr, &group), c.key) << c.what;
        EXPECT_EQ(group, c.group) << c.what;
    }
    const OPTITEM shared = Item(0, 0, 1025, nullptr, 7);
    EXPECT_EQ(GetPubID(&shared, nullptr, nullptr), 0x80000401u);  // no list given
}

TEST(ItemKeys, SharedHelpIndexesAreToldApartByUserData) {
    HANDLE heap = HeapCreate(0, 0, 0);
    {
        UserDataList list(heap);
        const OPTITEM items[] = {Item(0, 0, 1025, nullptr, 7), Item(0, 0, 1025, nullptr, 9), Item(0, 0, 1025, nullptr, 7)};
        EXPECT_EQ(GetPubID(&items[0], &list, nullptr), 0x80000401u);
        EXPECT_EQ(GetPubID(&items[1], &list, nullptr), 0x80010401u);
        EXPECT_EQ(GetPubID(&items[2], &list, nullptr), 0x80000401u);
        EXPECT_EQ(list.Count(), 2u);
    }
    HeapDestroy(heap);
}

TEST(ItemKeys, KitKeysSplitBack) {
    for (DWORD key : {100u, 255u, 262u, 3102u, 19352u, 32501u, 40035u}) {
        OPTITEM item{};
        SplitKitKey(key, &item.DMPubID, &item.UserItemID);
        EXPECT_GE(item.DMPubID, 100);
        EXPECT_EQ(GetPubID(&item, nullptr, nullptr), key) << key;
    }
    OPTITEM standard{};
    SplitKitKey(30, &standard.DMPubID, &standard.UserItemID);
    EXPECT_EQ(standard.DMPubID, 30);
    EXPECT_EQ(standard.UserItemID, 0);
}

}  // namespace
}  // namespace uitest
