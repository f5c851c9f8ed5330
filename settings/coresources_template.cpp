#include "coresources_template.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr WORD kExtendedSignature = 0xFFFF;

class TemplateReader {
public:
    TemplateReader(const BYTE* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t Offset() const { return m_offset; }

    template <class T>
    bool Read(T* value) {
        if (m_size - m_offset < sizeof(T)) return false;
        std::memcpy(value, m_bytes + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return true;
    }

    bool Skip(size_t count) {
        if (m_size - m_offset < count) return false;
        m_offset += count;
        return true;
    }

    bool AlignToDword() {
        const size_t aligned = (m_offset + 3) & ~size_t{3};
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

    bool ReadName(DlgTemplateName* name) {
        WORD first = 0;
        if (m_size - m_offset < sizeof(first)) return false;
        std::memcpy(&first, m_bytes + m_offset, sizeof(first));
        *name = {};
        if (first == 0) return Skip(sizeof(first));
        name->m_present = true;
        if (first == 0xFFFF) {
            name->m_isOrdinal = true;
            return Skip(sizeof(first)) && Read(&name->m_ordinal);
        }
        return ReadText(&name->m_text);
    }

private:
    const BYTE* m_bytes;
    size_t m_size;
    size_t m_offset = 0;
};

bool IsExtended(const BYTE* bytes, size_t size) {
    WORD version = 0, signature = 0;
    if (size < 4) return false;
    std::memcpy(&version, bytes, 2);
    std::memcpy(&signature, bytes + 2, 2);
    return version == 1 && signature == kExtendedSignature;
}

// The header up to the end of the font; *itemCount from it.
bool ReadHeader(TemplateReader& reader, DlgTemplateInfo* info, WORD* itemCount, DlgTemplateName* menu,
                DlgTemplateName* windowClass) {
    if (info->m_extended) {
        DWORD helpId = 0;
        if (!reader.Skip(4) || !reader.Read(&helpId) || !reader.Read(&info->m_exStyle) || !reader.Read(&info->m_style))
            return false;
    } else if (!reader.Read(&info->m_style) || !reader.Read(&info->m_exStyle)) {
        return false;
    }
    if (!reader.Read(itemCount) || !reader.Skip(4 * sizeof(short))) return false;
    if (!reader.ReadName(menu) || !reader.ReadName(windowClass) || !reader.ReadText(&info->m_title)) return false;
    if (info->m_style & DS_SETFONT) {
        info->m_hasFont = true;
        if (!reader.Read(&info->m_pointSize)) return false;
        if (info->m_extended && (!reader.Read(&info->m_weight) || !reader.Read(&info->m_italic) || !reader.Read(&info->m_charSet)))
            return false;
        if (!reader.ReadText(&info->m_faceName)) return false;
    }
    return true;
}

bool ReadItem(TemplateReader& reader, bool extended, DlgTemplateItem* item) {
    if (!reader.AlignToDword()) return false;
    if (extended) {
        DWORD helpId = 0;
        if (!reader.Read(&helpId) || !reader.Read(&item->m_exStyle) || !reader.Read(&item->m_style)) return false;
    } else if (!reader.Read(&item->m_style) || !reader.Read(&item->m_exStyle)) {
        return false;
    }
    if (!reader.Read(&item->m_x) || !reader.Read(&item->m_y) || !reader.Read(&item->m_cx) || !reader.Read(&item->m_cy))
        return false;
    if (extended) {
        if (!reader.Read(&item->m_id)) return false;
    } else {
        WORD id = 0;
        if (!reader.Read(&id)) return false;
        item->m_id = id;
    }
    WORD extra = 0;
    return reader.ReadName(&item->m_class) && reader.ReadName(&item->m_title) && reader.Read(&extra) && reader.Skip(extra);
}

// Appends bytes to the output while they fit.
class TemplateWriter {
public:
    TemplateWriter(BYTE* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

    size_t Size() const { return m_size; }

    bool Write(const void* bytes, size_t count) {
        if (m_capacity - m_size < count) return false;
        if (count) std::memcpy(m_buffer + m_size, bytes, count);
        m_size += count;
        return true;
    }

    bool WriteText(const std::u16string& text) {
        const WORD terminator = 0;
        return Write(text.data(), text.size() * sizeof(char16_t)) && Write(&terminator, sizeof(terminator));
    }

    bool WriteName(const DlgTemplateName& name) {
        const WORD none = 0, ordinal = 0xFFFF;
        if (!name.m_present) return Write(&none, sizeof(none));
        if (name.m_isOrdinal) return Write(&ordinal, sizeof(ordinal)) && Write(&name.m_ordinal, sizeof(name.m_ordinal));
        return WriteText(name.m_text);
    }

    bool AlignToDword() {
        static const BYTE kZeros[3] = {};
        return Write(kZeros, ((m_size + 3) & ~size_t{3}) - m_size);
    }

private:
    BYTE* m_buffer;
    size_t m_capacity;
    size_t m_size = 0;
};

}  // namespace

bool ReadDlgTemplate(const BYTE* bytes, size_t size, DlgTemplateInfo* info) {
    if (!bytes || !info) return false;
    DlgTemplateInfo read;
    read.m_extended = IsExtended(bytes, size);
    TemplateReader reader(bytes, size);
    WORD count = 0;
    DlgTemplateName menu, windowClass;
    if (!ReadHeader(reader, &read, &count, &menu, &windowClass)) return false;
    // The header's count alone must not size anything, since a template can claim 65535 items and
    // hold none: room is made for as many as the bytes left could hold (an item takes 24 at least).
    read.m_items.reserve(std::min<size_t>(count, (size - reader.Offset()) / 24));
    for (WORD i = 0; i < count; ++i) {
        DlgTemplateItem item;
        if (!ReadItem(reader, read.m_extended, &item)) return false;
        read.m_items.push_back(std::move(item));
    }
    read.m_size = reader.Offset();
    *info = std::move(read);
    return true;
}

bool RewriteDlgTemplate(const BYTE* source, size_t size, const DlgTemplateRewrite& rewrite, BYTE* buffer,
                        size_t capacity, size_t* written) {
    if (!source || !buffer || !written) return false;
    DlgTemplateInfo info;
    info.m_extended = IsExtended(source, size);
    TemplateReader reader(source, size);
    WORD count = 0;
    DlgTemplateName menu, windowClass;
    if (!ReadHeader(reader, &info, &count, &menu, &windowClass)) return false;
    const size_t headerEnd = reader.Offset();
    // The items are checked whole before anything is written.
    DlgTemplateItem item;
    size_t itemsStart = headerEnd;
    for (WORD i = 0; i < count; ++i) {
        if (!ReadItem(reader, info.m_extended, &item)) return false;
        if (i == 0) itemsStart = (headerEnd + 3) & ~size_t{3};
    }
    const size_t end = reader.Offset();

    // The fixed part of the header, with the extended style changed where asked.
    const size_t fixedSize = info.m_extended ? 26 : sizeof(DLGTEMPLATE);
    const size_t exStyleOffset = info.m_extended ? 8 : 4;
    BYTE fixed[26];
    std::memcpy(fixed, source, fixedSize);
    if (info.m_extended && rewrite.m_addExStyle) {
        const DWORD exStyle = info.m_exStyle | rewrite.m_addExStyle;
        std::memcpy(fixed + exStyleOffset, &exStyle, sizeof(exStyle));
    }
    TemplateWriter writer(buffer, capacity);
    bool fits = writer.Write(fixed, fixedSize) && writer.WriteName(menu) && writer.WriteName(windowClass) &&
                writer.WriteText(rewrite.m_setTitle ? rewrite.m_title : info.m_title);
    if (fits && info.m_hasFont) {
        fits = writer.Write(&info.m_pointSize, sizeof(info.m_pointSize));
        if (fits && info.m_extended)
            fits = writer.Write(&info.m_weight, sizeof(info.m_weight)) && writer.Write(&info.m_italic, 1) &&
                   writer.Write(&info.m_charSet, 1);
        fits = fits && writer.WriteText(rewrite.m_setFace ? rewrite.m_faceName : info.m_faceName);
    }
    if (fits && count > 0) fits = writer.AlignToDword() && writer.Write(source + itemsStart, end - itemsStart);
    if (!fits) return false;
    *written = writer.Size();
    return true;
}
