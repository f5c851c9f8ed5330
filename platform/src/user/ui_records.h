// The records behind palvex/ui_records.h (internal to the platform library).
#pragma once

#include <palvex/ui_records.h>

namespace palvex::win {

void RecordHelpCall(const HelpCall& call);
// Records the start; false when the script refuses it.
bool RecordShellStart(ShellStart start);
void RecordInputContextMove(const InputContextMove& move);

}  // namespace palvex::win
