// Writes the Unicode to KS X 1001 table of the Korean font download from the C library's EUC-KR
// converter: every double-byte code 0xA1A1-0xFEFE that converts to one UTF-16 unit gives a pair,
// sorted by the character. Usage: font_download_wansung_gen OUTPUT
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    iconv_t converter = iconv_open("UTF-16LE", "EUC-KR");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open EUC-KR");
        return 1;
    }
    std::vector<std::pair<unsigned, unsigned>> pairs;
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char out[8] = {};
            char* inPtr = in;
            char* outPtr = reinterpret_cast<char*>(out);
            size_t inLeft = 2, outLeft = sizeof out;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
                sizeof out - outLeft != 2)
                continue;
            pairs.emplace_back(out[0] | out[1] << 8, lead << 8 | trail);
        }
    }
    iconv_close(converter);
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                pairs.end());
    if (pairs.size() < 8000) {
        std::fprintf(stderr, "EUC-KR gave only %zu codes\n", pairs.size());
        return 1;
    }
    FILE* file = std::fopen(argv[1], "w");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(file, "// Generated from the C library's EUC-KR converter; do not edit.\n");
    std::fprintf(file, "constexpr WansungPair kWansungPairs[] = {\n");
    for (const auto& [unicode, code] : pairs) std::fprintf(file, "    {0x%04X, 0x%04X},\n", unicode, code);
    std::fprintf(file, "};\n");
    return std::fclose(file) == 0 ? 0 : 1;
}
