// Form substitution: a job whose form is a user form, or a paper the printer does not feed from
// its trays, is fed by hand, and a user form of a standard size prints as that standard paper.
#pragma once

#include <vector>

#include <win/windows.h>

struct FormSize {
    DWORD flags = 0;  // FORM_USER, FORM_BUILTIN, FORM_PRINTER
    LONG width = 0;   // micrometres
    LONG height = 0;
};

struct FormSubstitution {
    bool useDefaultSource = false;  // the default source becomes DMBIN_MANUAL
    short substitutePaper = 0;      // the form position that replaces dmPaperSize, 0 none
};

// The paper (DMPAPER_*) a form size stands for; 256 when none.
short PaperOfFormSize(LONG width, LONG height);
// The substitution for the form at position paperSize (from 1) of forms; a position outside the
// list gives none.
FormSubstitution DecideFormSubstitution(const std::vector<FormSize>& forms, short paperSize);
