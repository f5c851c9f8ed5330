// Version resources: the VS_VERSIONINFO block of a PE file and queries into it.
//
// A block is a tree of nodes. Each node: WORD length (of the node with its children), WORD value
// length (characters for a text value, bytes otherwise), WORD type (1 text, 0 binary), the
// NUL-terminated key, padding to a 32-bit boundary, the value, padding, then the child nodes up to
// the node's length. Boundaries are counted from the start of the block. The root's key is
// "VS_VERSION_INFO" and its value the VS_FIXEDFILEINFO.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <win/winver.h>

#include "machine/api_guard.h"
#include "resources/resources.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

constexpr WORD kVersionInfoId = 1;
constexpr WORD kVersionType = 16;
constexpr size_t kNodeHeaderSize = 6;

size_t AlignUp4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

WORD ReadWord(const uint8_t* block, size_t offset) {
    WORD value = 0;
    std::memcpy(&value, block + offset, 2);
    return value;
}

// One node of a block, checked to lie within [start, limit).
struct Node {
    size_t start = 0;
    size_t end = 0;
    WORD valueLength = 0;
    WORD type = 0;
    std::u16string key;
    size_t keyTerminator = 0;  // offset of the key's NUL
    size_t value = 0;          // offset of the value
    size_t valueBytes = 0;
    size_t children = 0;       // offset of the first child
};

bool ReadNode(const uint8_t* block, size_t start, size_t limit, Node* node) {
    if (start > limit || limit - start < kNodeHeaderSize) return false;
    const WORD length = ReadWord(block, start);
    if (length < kNodeHeaderSize || length > limit - start) return false;
    node->start = start;
    node->end = start + length;
    node->valueLength = ReadWord(block, start + 2);
    node->type = ReadWord(block, start + 4);
    node->key.clear();
    size_t at = start + kNodeHeaderSize;
    for (;; at += 2) {
        if (node->end - at < 2) return false;  // no terminator inside the node
        const WCHAR c = ReadWord(block, at);
        if (c == u'\0') break;
        node->key += c;
    }
    node->keyTerminator = at;
    node->value = std::min(AlignUp4(at + 2), node->end);
    const size_t room = node->end - node->value;
    if (node->type == 1) {
        // A text value must end inside the node: callers read it up to its terminator.
        const size_t characters = std::min<size_t>(node->valueLength, room / 2);
        size_t terminator = 0;
        while (terminator < characters && ReadWord(block, node->value + terminator * 2) != u'\0') ++terminator;
        if (node->valueLength != 0 && terminator == characters) return false;
        node->valueBytes = node->valueLength == 0 ? 0 : (terminator + 1) * 2;
    } else {
        if (node->valueLength > room) return false;
        node->valueBytes = node->valueLength;
    }
    node->children = std::min(AlignUp4(node->value + node->valueBytes), node->end);
    return true;
}

bool FindChild(const uint8_t* block, const Node& parent, std::u16string_view key, Node* child) {
    const std::u16string wanted = text::Upcase(key);
    for (size_t at = parent.children; at < parent.end;) {
        if (!ReadNode(block, at, parent.end, child)) return false;
        if (text::Upcase(child->key) == wanted) return true;
        at = AlignUp4(child->end);
    }
    return false;
}

// The version resource of a file: its bytes in a loaded image.
DWORD FindVersionResource(LPCWSTR path, std::unique_ptr<pe::PeImage>* image, const pe::ResourceEntry** entry) {
    if (!path || !*path) return ERROR_INVALID_PARAMETER;
    if (DWORD error = res::LoadImageFile(path, image)) return error;
    if (DWORD error = res::FindEntry(**image, pe::ResourceKey::Id(kVersionType), pe::ResourceKey::Id(kVersionInfoId),
                                     0, entry))
        return error;
    if ((*entry)->size < kNodeHeaderSize) return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace palvex

using namespace palvex;

DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    DWORD size = 0;
    const DWORD error = GuardedCall(ERROR_RESOURCE_DATA_NOT_FOUND, [&]() -> DWORD {
        std::unique_ptr<pe::PeImage> image;
        const pe::ResourceEntry* entry = nullptr;
        if (DWORD found = FindVersionResource(lptstrFilename, &image, &entry)) return found;
        size = entry->size;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return size;
}

BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD /*dwHandle*/, DWORD dwLen, LPVOID lpData) {
    const DWORD error = GuardedCall(ERROR_RESOURCE_DATA_NOT_FOUND, [&]() -> DWORD {
        if (!lpData) return ERROR_INVALID_PARAMETER;
        if (dwLen < kNodeHeaderSize) return ERROR_INSUFFICIENT_BUFFER;
        std::unique_ptr<pe::PeImage> image;
        const pe::ResourceEntry* entry = nullptr;
        if (DWORD found = FindVersionResource(lptstrFilename, &image, &entry)) return found;
        const DWORD copied = std::min(dwLen, entry->size);
        auto* out = static_cast<uint8_t*>(lpData);
        std::memcpy(out, image->Bytes() + entry->dataOffset, copied);
        // The root's length bounds every later query; it must not reach past what was copied.
        const WORD rootLength = ReadWord(out, 0);
        if (rootLength > copied) {
            const WORD cut = static_cast<WORD>(std::min<DWORD>(copied, 0xFFFF));
            std::memcpy(out, &cut, 2);
        }
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
    const DWORD error = GuardedCall(ERROR_RESOURCE_TYPE_NOT_FOUND, [&]() -> DWORD {
        if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return ERROR_INVALID_PARAMETER;
        const auto* block = static_cast<const uint8_t*>(pBlock);
        Node node;
        if (!ReadNode(block, 0, ReadWord(block, 0), &node) || node.key != u"VS_VERSION_INFO") return ERROR_INVALID_DATA;
        const std::u16string_view path(lpSubBlock);
        bool root = true;
        for (size_t start = 0; start <= path.size();) {
            size_t end = path.find(u'\\', start);
            if (end == std::u16string_view::npos) end = path.size();
            if (end > start) {
                Node child;
                if (!FindChild(block, node, path.substr(start, end - start), &child)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
                node = std::move(child);
                root = false;
            }
            start = end + 1;
        }
        if (root && node.valueBytes < sizeof(VS_FIXEDFILEINFO)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
        if (node.valueBytes == 0) {
            // No value: an empty text (the key's terminator), so a caller reading a string stops at once.
            *lplpBuffer = const_cast<uint8_t*>(block + node.keyTerminator);
            *puLen = 0;
        } else {
            *lplpBuffer = const_cast<uint8_t*>(block + node.value);
            *puLen = static_cast<UINT>(node.type == 1 ? node.valueBytes / 2 : node.valueBytes);
        }
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
