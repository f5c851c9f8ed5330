// Registry change notifications (internal to the platform library).
#pragma once

#include <string>

#include <win/winreg.h>

namespace palvex {

// The key under which Windows keeps its printers, each in a subkey of its name; the spooler
// reports its printers' creation and deletion as changes there.
inline const std::u16string kPrintersKey = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

}  // namespace palvex

namespace palvex::registry {

// A change of the key with this folded path (as reg_keys.path_key holds it): signals and drops
// every watch of the key and every subtree watch above it.
void NotifyChanged(const std::string& pathKey);
// The same for a key named by a root and a path below it.
void NotifyChanged(HKEY root, const std::u16string& path);
// Ends the watches asked through this handle (it is being closed).
void DropWatches(HKEY key);
// The folded path of an open key whose handle has KEY_NOTIFY; an error code otherwise.
DWORD NotifyPathOf(HKEY key, std::string& pathKey);

}  // namespace palvex::registry
