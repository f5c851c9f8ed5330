// Stores for tests: blocks taken in as a load would take them, and printer data of a test machine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "printer_data.h"
#include "xprimpl.h"

namespace xprtest {

// Frees the block and the store, as an owner does (works in every variant).
struct StoreDeleter {
    void operator()(XprStore* store) const;
};
using StorePtr = std::unique_ptr<XprStore, StoreDeleter>;

// A zeroed store, as CreateByHandle makes one.
StorePtr NewStore();

// Copies stored bytes into a new block of store and takes it in exactly as LoadByHandle does
// after reading it. Returns the load's result.
DWORD AdoptBytes(XprStore* store, const std::vector<BYTE>& bytes, const std::u16string& name = u"ROOT");

// The block's bytes as they are now.
std::vector<BYTE> BlockBytes(const XprStore* store);

inline DWORD Severity(DWORD code) {
    return ReportStatus(code);
}

}  // namespace xprtest
