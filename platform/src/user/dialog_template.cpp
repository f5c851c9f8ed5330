// Dialog template reader.
#include "user/dialog_template.h"

#include <algorithm>
#include <cstring>

namespace palvex::dlg {
namespace {

class Reader {
public:
    Reader(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t Offset() const { return m_offset; }

    template <class T>
    bool Read(T* value) {
        if (m_size - m_offset < sizeof(T)) return false;
        std::memcpy(value, m_bytes + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return true;
    }

    // Moves to the next multiple of alignment, counted from the template's start.
    bool Align(size_t alignment) {
        const size_t aligned = (m_offset + alignment - 1) / alignment * alignment;
        if (aligned > m_size) return false;
        m_offset = aligned;
        return true;
    }

    // A NUL-terminated text, taken whole once its end is found.
    bool ReadText(std::u16string* text) {
        text->clear();
        size_t length = 0;
        for (;; ++length) {
            const size_t at = m_offset + 2 * length;
            if (m_size - m_offset < 2 * length + 2) return false;
            if (m_bytes[at] == 0 && m_bytes[at + 1] == 0) break;
        }
        text->resize(length);
        std::memcpy(text->data(), m_bytes + m_offset, 2 * length);
        m_offset += 2 * length + 2;
        return true;
    }

    bool ReadNameOrOrdinal(NameOrOrdinal* field) {
        WORD first = 0;
        if (m_size - m_offset < 2) return false;
        std::memcpy(&first, m_bytes + m_offset, 2);
        if (first == 0x0000) {
            m_offset += 2;
            *field = {};
            return true;
        }
        if (first == 0xFFFF) {
            m_offset += 2;
            field->kind = NameOrOrdinal::kOrdinal;
            return Read(&field->ordinal);
        }
        field->kind = NameOrOrdinal::kText;
        return ReadText(&field->text);
    }

    bool ReadBytes(size_t count, std::vector<uint8_t>* bytes) {
        if (m_size - m_offset < count) return false;
        bytes->assign(m_bytes + m_offset, m_bytes + m_offset + count);
        m_offset += count;
        return true;
    }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_offset = 0;
};

bool ReadItem(Reader& reader, bool extended, DialogItem* item) {
    if (!reader.Align(4)) return false;
    if (extended) {
        if (!reader.Read(&item->helpId) || !reader.Read(&item->exStyle) || !reader.Read(&item->style)) return false;
    } else {
        if (!reader.Read(&item->style) || !reader.Read(&item->exStyle)) return false;
    }
    if (!reader.Read(&item->x) || !reader.Read(&item->y) || !reader.Read(&item->cx) || !reader.Read(&item->cy)) return false;
    if (extended) {
        if (!reader.Read(&item->id)) return false;
    } else {
        WORD id = 0;
        if (!reader.Read(&id)) return false;
        item->id = id;
    }
    if (!reader.ReadNameOrOrdinal(&item->windowClass) || !reader.ReadNameOrOrdinal(&item->title)) return false;
    WORD extra = 0;
    if (!reader.Read(&extra)) return false;
    if (extra == 0) return true;
    // The creation data starts on a WORD boundary, which the count already leaves it on.
    return reader.ReadBytes(extra, &item->creationData);
}

}  // namespace

bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* dialog) {
    if (!bytes || !dialog) return false;
    Reader reader(static_cast<const uint8_t*>(bytes), size);
    DialogTemplate parsed;
    WORD version = 0, signature = 0;
    if (size >= 4) {
        std::memcpy(&version, bytes, 2);
        std::memcpy(&signature, static_cast<const uint8_t*>(bytes) + 2, 2);
    }
    parsed.extended = version == 1 && signature == DLGTEMPLATEEX_SIGNATURE;
    WORD count = 0;
    if (parsed.extended) {
        if (!reader.Read(&version) || !reader.Read(&signature) || !reader.Read(&parsed.helpId) ||
            !reader.Read(&parsed.exStyle) || !reader.Read(&parsed.style))
            return false;
    } else if (!reader.Read(&parsed.style) || !reader.Read(&parsed.exStyle)) {
        return false;
    }
    if (!reader.Read(&count) || !reader.Read(&parsed.x) || !reader.Read(&parsed.y) || !reader.Read(&parsed.cx) ||
        !reader.Read(&parsed.cy))
        return false;
    if (!reader.ReadNameOrOrdinal(&parsed.menu) || !reader.ReadNameOrOrdinal(&parsed.windowClass)) return false;
    // The title is always a text.
    parsed.title.kind = NameOrOrdinal::kText;
    if (!reader.ReadText(&parsed.title.text)) return false;
    if (parsed.style & DS_SETFONT) {
        parsed.hasFont = true;
        if (!reader.Read(&parsed.pointSize)) return false;
        if (parsed.extended &&
            (!reader.Read(&parsed.weight) || !reader.Read(&parsed.italic) || !reader.Read(&parsed.charSet)))
            return false;
        if (!reader.ReadText(&parsed.faceName)) return false;
    }
    // The header's count alone must not size anything, since a template can claim 65535 items and
    // hold none: room is made for as many as the bytes left could hold (an item takes 24 at least).
    parsed.items.reserve(std::min<size_t>(count, (size - reader.Offset()) / 24));
    for (WORD i = 0; i < count; ++i) {
        DialogItem item;
        if (!ReadItem(reader, parsed.extended, &item)) return false;
        parsed.items.push_back(std::move(item));
    }
    parsed.size = reader.Offset();
    *dialog = std::move(parsed);
    return true;
}

const char16_t* ItemClassName(WORD ordinal) {
    static const char16_t* const kNames[] = {u"Button", u"Edit", u"Static", u"ListBox", u"ScrollBar", u"ComboBox"};
    return ordinal >= 0x80 && ordinal <= 0x85 ? kNames[ordinal - 0x80] : nullptr;
}

}  // namespace palvex::dlg
