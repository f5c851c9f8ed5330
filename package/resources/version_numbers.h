/* The package's version, in every file's version resource. */
#pragma once

#define PALVEX_VERSION_NUMBERS 1, 1, 2, 0
#define PALVEX_VERSION_TEXT "1.01.0002.0"
