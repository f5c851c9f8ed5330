// Stand-in until the favourites handler exists: no flag is ever set.
#include "options/page_rule_flags.h"

void SetFavouriteDeletion(QORVAOptItemHandler*, DWORD) {}
