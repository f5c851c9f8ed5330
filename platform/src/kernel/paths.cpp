// Windows paths to host paths: drives are folders of the machine root and every part of a path is
// found without regard to case, as Windows finds it.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>

#include "crt/utf16.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Splits the path into parts and resolves "." and "..". A ".." that would climb above the start is
// counted in climbs (for a drive it is dropped, as Windows drops it at a drive's root).
std::vector<std::u16string> SplitParts(std::u16string_view path, size_t* climbs) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::u16string_view part = path.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            } else {
                ++*climbs;
            }
        } else if (!part.empty() && part != u".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

// The entry of folder whose name equals part without regard to case: the exact spelling when it
// exists, else the first such name in sorted order (so the choice does not depend on the folder's
// listing order). The folder is listed through a buffer of its own: a listing is made for every
// name that does not exist as spelled (a file about to be made), and the C library's directory
// stream would allocate 32 KB for each.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::u16string& part) {
    std::error_code error;
    fs::path exact = folder / fs::path(text::ToUtf8(part));
    if (fs::exists(exact, error)) return exact;
    const bool asciiPart = std::all_of(part.begin(), part.end(), [](char16_t c) { return c < 0x80; });
    const std::u16string wanted = text::Upcase(part);
    std::optional<std::string> best;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    alignas(dirent64) char buffer[4096];
    for (;;) {
        const ssize_t got = getdents64(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            // An ASCII name of another length cannot match an ASCII part.
            if (asciiPart && name.size() != part.size() &&
                std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                continue;
            if (text::Upcase(text::FromUtf8(name)) != wanted) continue;
            if (!best || name < *best) best = std::string(name);
        }
    }
    close(fd);
    if (!best) return std::nullopt;
    return folder / *best;
}

fs::path Resolve(fs::path current, const std::vector<std::u16string>& parts) {
    // Where the path (or all of it but its last part) exists as spelled, every part is its own
    // exact spelling, which is what the search below would find part by part; one look at the
    // whole path saves a look at each folder on the way.
    std::error_code error;
    size_t from = 0;
    if (!parts.empty()) {
        fs::path exact = current;
        for (const std::u16string& part : parts) exact /= fs::path(text::ToUtf8(part));
        if (fs::exists(exact, error)) return exact;
        fs::path folder = exact.parent_path();
        if (parts.size() > 1 && fs::is_directory(folder, error)) {
            current = std::move(folder);
            from = parts.size() - 1;
        }
    }
    bool existing = true;
    for (const std::u16string& part : std::span(parts).subspan(from)) {
        if (existing) {
            if (std::optional<fs::path> found = FindEntry(current, part)) {
                current = std::move(*found);
                continue;
            }
            existing = false;
        }
        current /= fs::path(text::ToUtf8(part));
    }
    return current;
}

// The host path of a machine path whose parts are all plain names (no empty, "." or ".." part),
// spelled as given, built in one piece; nothing when a part is not plain. Most paths are such,
// and building the path part by part costs more than the one look that usually finds it.
std::optional<fs::path> PlainMachinePath(char16_t drive, std::u16string_view rest) {
    std::u16string joined(1, text::Upcase(drive));
    size_t start = 0;
    while (start < rest.size() && IsSeparator(rest[start])) ++start;  // the root's separators
    while (start < rest.size()) {
        size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const std::u16string_view part = rest.substr(start, end - start);
        if (part.empty() || part == u"." || part == u"..") return std::nullopt;
        joined += u'/';
        joined += part;
        start = end + 1;
        if (end + 1 == rest.size()) return std::nullopt;  // a final separator: an empty last part
    }
    return MachineRoot() / text::ToUtf8(joined);
}

fs::path MachinePath(char16_t drive, std::u16string_view rest) {
    if (std::optional<fs::path> plain = PlainMachinePath(drive, rest)) {
        std::error_code error;
        if (fs::exists(*plain, error)) return std::move(*plain);
        // A name not there as spelled in a folder that is: only the name's own folder is searched.
        fs::path folder = plain->parent_path();
        if (rest.find_first_not_of(u"\\/") != std::u16string_view::npos && fs::is_directory(folder, error)) {
            const size_t slash = rest.find_last_of(u"\\/");
            const std::u16string last(rest.substr(slash == std::u16string_view::npos ? 0 : slash + 1));
            if (std::optional<fs::path> found = FindEntry(folder, last)) return std::move(*found);
            return std::move(*plain);
        }
    }
    size_t climbs = 0;
    std::vector<std::u16string> parts = SplitParts(rest, &climbs);
    parts.insert(parts.begin(), std::u16string(1, text::Upcase(drive)));
    return Resolve(MachineRoot(), parts);
}

}  // namespace

std::filesystem::path HostPath(std::u16string_view path) {
    if (path.empty()) return {};
    if (path.size() >= 4 && path.substr(0, 4) == u"\\\\?\\") {
        path.remove_prefix(4);
        if (path.size() >= 4 && text::Upcase(path.substr(0, 4)) == u"UNC\\") return {};  // a network path
        if (path.empty()) return {};
    }
    if (path.size() >= 2 && path[1] == u':' && IsDriveLetter(path[0])) return MachinePath(path[0], path.substr(2));
    if (path[0] == u'/') return fs::path(text::ToUtf8(path));
    if (path[0] == u'\\') {
        if (path.size() >= 2 && path[1] == u'\\') return {};  // a network path
        return MachinePath(u'C', path);
    }
    std::error_code error;
    fs::path base = fs::current_path(error);
    if (error) return {};
    size_t climbs = 0;
    std::vector<std::u16string> parts = SplitParts(path, &climbs);
    for (; climbs > 0 && base.has_relative_path(); --climbs) base = base.parent_path();
    return Resolve(base, parts);
}

}  // namespace palvex
