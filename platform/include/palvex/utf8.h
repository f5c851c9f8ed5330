// UTF-8 and UTF-16 conversions for the tools and hosts (command lines, file names, printed text).
// Lossless both ways, also for unpaired surrogates and bytes that are not UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace palvex {

__attribute__((visibility("default"))) std::string ToUtf8(std::u16string_view text);
__attribute__((visibility("default"))) std::u16string FromUtf8(std::string_view text);

}  // namespace palvex
