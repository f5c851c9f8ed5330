// EMF spool files as an application's spooling leaves them: read in two pieces (as a file still
// being spooled is read), then every page's metafile walked and its drawing records decoded.
#include <cstdlib>

#include "gdi/emf_format.h"
#include "gdi/emf_page.h"
#include "gdi/emf_spool_reader.h"
#include "fuzz_input.h"

using namespace palvex::emf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint16_t cut = input.Word();
    const auto bytes = input.Rest();
    const size_t first = bytes.empty() ? 0 : cut % (bytes.size() + 1);

    SpoolParser parser;
    parser.Feed(bytes.first(first), false);
    parser.Feed(bytes.subspan(first), true);
    for (size_t index = 0; index < parser.pages().size(); ++index) {
        const auto page = parser.pageData(index);
        if (!page || page->size() != parser.pages()[index].emfSize) std::abort();
        const std::span<const uint8_t> emf(*page);
        // The reader keeps only pages whose metafile passed the check.
        if (!CheckEmf(emf).empty()) std::abort();
        ReadEmfHeader(emf);
        ForEachRecord(emf, [](uint32_t type, std::span<const uint8_t> record) {
            switch (type) {
            case EMR_CREATEPEN: DecodePen(record); break;
            case EMR_EXTCREATEFONTINDIRECTW: DecodeFont(record); break;
            case EMR_EXTTEXTOUTW: DecodeText(record); break;
            case EMR_RECTANGLE: DecodeRect(record, 8); break;
            default: break;
            }
        });
    }
    // The whole file read at once must come to the same verdict.
    const SpoolContents whole = ParseSpoolBytes(bytes);
    if (whole.error.empty() != parser.finished()) std::abort();
    return 0;
}
