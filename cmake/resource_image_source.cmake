# Writes OUTPUT, a C++ source holding the bytes of INPUT as the resource image of the library it
# is linked into (see palvex_link_resources in resources.cmake).
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.new
"// Generated from ${INPUT}: the resources linked into this library.
#include <palvex/library_entry.h>

extern \"C\" __attribute__((visibility(\"hidden\"))) const unsigned char PalvexResourceImage[] = {
    ${bytes}
};
extern \"C\" __attribute__((visibility(\"hidden\"))) const size_t PalvexResourceImageSize = ${size};
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
