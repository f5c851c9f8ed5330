// The layout of a spooler information level in the caller's buffer: the structure first, then what
// it links to (texts, devmodes, descriptors), and the size protocol of the Get*W calls.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <win/windows.h>

namespace palvex {

// Lays out what a level links to behind its structure: each piece at the next offset of its
// alignment, in the order added. The offsets are relative to the buffer's start, so the size
// needed does not depend on where the caller's buffer lies.
class InfoPacker {
public:
    explicit InfoPacker(size_t fixedSize) : m_end(fixedSize) {}

    // Returns the piece's offset.
    size_t Add(const void* data, size_t size, size_t alignment) {
        m_end = (m_end + alignment - 1) / alignment * alignment;
        const BYTE* bytes = static_cast<const BYTE*>(data);
        m_pieces.push_back(Piece{m_end, std::vector<BYTE>(bytes, bytes + size)});
        m_end += size;
        return m_pieces.back().offset;
    }
    // An empty text is not placed: its link is null.
    std::optional<size_t> AddString(const std::u16string& text) {
        if (text.empty()) return std::nullopt;
        return Add(text.c_str(), (text.size() + 1) * sizeof(char16_t), alignof(char16_t));
    }
    size_t AddBytes(const std::vector<BYTE>& bytes) { return Add(bytes.data(), bytes.size(), 8); }

    // The same, with the link of the structure (a field of the caller's copy of it) that points at
    // the piece: Link sets it once the caller's buffer is known. A link to an empty text or to no
    // bytes stays as it is (null).
    void AddString(const std::u16string& text, LPWSTR* link) {
        if (const auto offset = AddString(text)) m_links.push_back(Link{link, *offset});
    }
    template <class Pointer>
    void AddBytes(const std::vector<BYTE>& bytes, Pointer* link) {
        if (!bytes.empty()) m_links.push_back(Link{link, AddBytes(bytes)});
    }
    template <class Pointer>
    void Add(const void* data, size_t size, size_t alignment, Pointer* link) {
        m_links.push_back(Link{link, Add(data, size, alignment)});
    }

    size_t needed() const { return m_end; }

    // Points the links at their pieces in the caller's buffer.
    void SetLinks(BYTE* buffer) const {
        for (const auto& link : m_links) {
            BYTE* const target = buffer + link.offset;
            std::memcpy(link.field, &target, sizeof target);
        }
    }
    // Writes the pieces; the caller writes the structure itself.
    void WritePieces(BYTE* buffer) const {
        for (const auto& piece : m_pieces) std::memcpy(buffer + piece.offset, piece.bytes.data(), piece.bytes.size());
    }

private:
    struct Piece {
        size_t offset;
        std::vector<BYTE> bytes;
    };
    // A pointer field of the caller's structure and the offset of the piece it points at.
    struct Link {
        void* field;
        size_t offset;
    };
    size_t m_end;
    std::vector<Piece> m_pieces;
    std::vector<Link> m_links;
};

// Links inside the caller's buffer.
template <class Pointer>
Pointer At(BYTE* buffer, size_t offset) {
    return reinterpret_cast<Pointer>(buffer + offset);
}
// A link to a piece that may not have been placed (null then).
template <class Pointer>
Pointer LinkAt(BYTE* buffer, const std::optional<size_t>& offset) {
    return offset ? At<Pointer>(buffer, *offset) : nullptr;
}

// Checks the size, then writes the pieces and the structure, its links (the fields of info the
// packer was given) pointed at the pieces.
template <class Info>
DWORD Deliver(const InfoPacker& packer, Info& info, LPBYTE buffer, DWORD size, LPDWORD needed) {
    if (packer.needed() > 0xFFFFFFFFu) return ERROR_NOT_ENOUGH_MEMORY;
    *needed = static_cast<DWORD>(packer.needed());
    if (size < packer.needed()) return ERROR_INSUFFICIENT_BUFFER;
    std::memset(buffer, 0, packer.needed());
    packer.WritePieces(buffer);
    packer.SetLinks(buffer);
    std::memcpy(buffer, &info, sizeof info);
    return ERROR_SUCCESS;
}

}  // namespace palvex
