// The structure compiler: structure definitions from "*XPDSTRUCT" declarations, rows from the
// sections named after a structure, and the references that type DYNAMIC fields.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "xpcimpl.h"

namespace xpc {
namespace {

struct KindWord {
    const char16_t* m_word;
    XprColumnKind m_kind;
    WORD m_elementSize;
};

constexpr KindWord kKindWords[] = {
    {u"BYTE", XprColumnKind::BYTE, 1},        {u"CHAR", XprColumnKind::CHAR, 2},
    {u"WORD", XprColumnKind::WORD, 2},        {u"SHORT", XprColumnKind::SHORT, 2},
    {u"DWORD", XprColumnKind::DWORD, 4},      {u"DWORD64", XprColumnKind::DWORD64, 8},
    {u"LONG", XprColumnKind::LONG, 4},        {u"LONG64", XprColumnKind::LONG64, 8},
    {u"COLORREF", XprColumnKind::COLORREF, 4}, {u"STRING", XprColumnKind::STRING, 8},
    {u"XPDSTRUCT", XprColumnKind::XPDSTRUCT, 12}, {u"DYNAMIC", XprColumnKind::DYNAMIC, 8},
};

const KindWord* FindKind(std::u16string_view word) {
    for (const KindWord& kind : kKindWords)
        if (word == kind.m_word) return &kind;
    return nullptr;
}

ColumnDef TagColumn() {
    ColumnDef tag;
    tag.m_name = u"TAG";
    tag.m_kind = XprColumnKind::STRING;
    tag.m_elementSize = 8;
    tag.m_count = 1;
    return tag;
}

// Offsets, stride and the slots of the row cells, once every column is known. False when the
// row would not fit the block's 32-bit offsets or the columns its 16-bit count.
bool LayOut(StructDef& def) {
    if (def.m_columns.size() > 0xFFFF) return false;
    uint64_t offset = 0;
    def.m_stringSlots = 0;
    def.m_valueSlots = 0;
    for (ColumnDef& column : def.m_columns) {
        column.m_offset = static_cast<DWORD>(offset);
        offset += static_cast<uint64_t>(column.m_elementSize) * column.m_count;
        if (offset > 0xFFFFFFFFull) return false;
        if (column.m_kind == XprColumnKind::STRING) {
            column.m_slot = def.m_stringSlots;
            def.m_stringSlots += column.m_count;
        } else if (column.m_kind == XprColumnKind::DYNAMIC) {
            column.m_slot = def.m_valueSlots++;
        }
    }
    def.m_stride = static_cast<DWORD>(offset);
    return true;
}

std::vector<std::u16string> SplitPath(std::u16string_view path) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = path.find(u'.', start);
        parts.emplace_back(path.substr(start, dot == std::u16string_view::npos ? std::u16string_view::npos : dot - start));
        if (dot == std::u16string_view::npos) return parts;
        start = dot + 1;
    }
}

// The messages name a reference's source path its "field" descriptor and its target path its
// "value" descriptor.
constexpr char16_t kSourcePath[] = u"field";
constexpr char16_t kTargetPath[] = u"value";

// Checks a reference path's shape: 62103 without '.', 62102 with 32 or more.
DWORD CheckPath(std::u16string_view path, std::u16string_view value, LPCWSTR which) {
    const size_t dots = static_cast<size_t>(std::count(path.begin(), path.end(), u'.'));
    const std::u16string text(value);
    if (dots == 0) return Report(XPC_REFERENCE_NO_FIELD, which, text.c_str());
    if (dots >= kMaxReferenceParts)
        return Report(XPC_REFERENCE_TOO_DEEP, which, text.c_str(), static_cast<int>(kMaxReferenceParts));
    return 0;
}

// Walks a reference path through a fresh definition of its structure to its last column.
DWORD ResolvePath(Context& context, const std::vector<std::u16string>& parts, const std::u16string& value,
                  LPCWSTR which, StructDef& root, const ColumnDef** last) {
    const LPCWSTR text = value.c_str();
    if (DefineStruct(context, root, parts[0], 0) >= KIT_SEVERITY_ERROR)
        return Report(XPC_REFERENCE_NO_STRUCT, which, text, parts[0].c_str());
    const StructDef* def = &root;
    for (size_t i = 1; i < parts.size(); ++i) {
        const bool isLast = i + 1 == parts.size();
        const ColumnDef* column = def->FindColumn(parts[i]);
        if (!column)
            return Report(isLast ? XPC_REFERENCE_UNKNOWN_FIELD : XPC_REFERENCE_UNKNOWN_STRUCT, which, text,
                          parts[i].c_str(), def->m_name.c_str());
        if (isLast) {
            if (column->m_kind == XprColumnKind::XPDSTRUCT) return Report(XPC_REFERENCE_ENDS_AT_STRUCT, which, text);
            *last = column;
            return 0;
        }
        if (column->m_kind != XprColumnKind::XPDSTRUCT)
            return Report(XPC_REFERENCE_FIELD_IN_PATH, static_cast<int>(i), which, text);
        def = column->m_nested.get();
    }
    return Report(XPC_BAD_REFERENCE, text);
}

DWORD FillDynamic(Context& context, StructDef& def, const ColumnDef& column, const Entry& section, int depth,
                  const ReferenceList& references) {
    const XpdReference* reference = nullptr;
    if (references)
        for (const XpdReference& candidate : *references)
            if (!candidate.m_targetParts.empty() && candidate.m_targetParts.back() == column.m_name) {
                reference = &candidate;
                break;
            }
    if (!reference) {
        if (!column.m_warnWhenEmpty) return 0;
        return Report(XPC_NO_REFERENCE, column.m_name.c_str(), def.m_name.c_str(), section.m_value.c_str());
    }

    const WORD row = def.m_nextRow;
    auto value = std::make_unique<PendingValue>();
    value->m_text = reference->m_source;
    value->m_kind = reference->m_kind;
    value->m_elementSize = reference->m_elementSize;
    value->m_count = reference->m_count;
    value->m_data.assign(static_cast<size_t>(reference->m_elementSize) * reference->m_count, 0);
    for (WORD earlier = 0; earlier < row && !value->m_sharedText; ++earlier) {
        const auto& other = def.m_cells[earlier].m_values[column.m_slot];
        if (other && !other->m_sharedText && other->m_text == value->m_text) value->m_sharedText = true;
    }

    DWORD worst = 0;
    const Entry* field = FindIn(context.m_entries, &section, u"*" + column.m_name, depth + 1);
    if (!field) {
        if (column.m_warnWhenEmpty)
            worst = Report(XPC_NO_VALUE, column.m_name.c_str(), def.m_name.c_str(), section.m_value.c_str());
    } else if (field->m_value.empty()) {
        if (column.m_warnWhenEmpty)
            worst = Report(XPC_EMPTY_VALUE, column.m_name.c_str(), def.m_name.c_str(), section.m_value.c_str());
    } else {
        ColumnDef typed;
        typed.m_name = column.m_name;
        typed.m_kind = reference->m_kind;
        typed.m_elementSize = reference->m_elementSize;
        typed.m_count = reference->m_count;
        worst = ConvertValue(context, typed, *field, value->m_data.data(), nullptr);
    }
    def.m_cells[row].m_values[column.m_slot] = std::move(value);
    return worst;
}

}  // namespace

const char16_t* TypeWord(XprColumnKind kind) {
    for (const KindWord& word : kKindWords)
        if (word.m_kind == kind) return word.m_word;
    return u"";
}

const ColumnDef* StructDef::FindColumn(std::u16string_view name) const {
    for (const ColumnDef& column : m_columns)
        if (column.m_name == name) return &column;
    return nullptr;
}

DWORD DefineStruct(Context& context, StructDef& def, std::u16string_view name, int depth, const Entry* owner) {
    if (name.empty()) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    const std::u16string structName(name);
    if (name.size() >= XPR_NAME_CHARS)
        return Report(XPC_STRUCT_NAME_TOO_LONG, structName.c_str(), static_cast<int>(XPR_NAME_CHARS - 1));
    def.m_name = structName;
    const EntryList& list = context.m_entries;
    const std::u16string on = u"ON";
    DWORD worst = 0;
    bool declared = false;
    for (const Entry* block = FindIn(list, owner, u"*XPDSTRUCT", depth, &structName); block;
         block = FindIn(list, owner, u"*XPDSTRUCT", depth, &structName, block)) {
        declared = true;
        if (FindIn(list, block, u"*FORCEWRITE", depth + 1, &on)) def.m_forceWrite = true;
        for (const Entry* field = FindIn(list, block, u"*FIELD", depth + 1); field;
             field = FindIn(list, block, u"*FIELD", depth + 1, nullptr, field)) {
            const std::u16string& fieldName = field->m_value;
            const Entry* type = FindIn(list, field, u"*FIELDTYPE", depth + 2);
            if (!type) return Report(XPC_NO_FIELD_TYPE, fieldName.c_str(), structName.c_str());
            const KindWord* kind = FindKind(type->m_value);
            if (!kind) return Report(XPC_BAD_FIELD_TYPE, type->m_value.c_str(), fieldName.c_str(), structName.c_str());
            const bool single = kind->m_kind == XprColumnKind::XPDSTRUCT || kind->m_kind == XprColumnKind::DYNAMIC;
            WORD count = 1;
            if (const Entry* size = FindIn(list, field, u"*ARRAYSIZE", depth + 2)) {
                if (single) {
                    worst = Worst(worst, Report(XPC_ARRAYSIZE_IGNORED, kind->m_word, fieldName.c_str(), structName.c_str()));
                } else {
                    const LONG value = ParseSigned(size->m_value);
                    if (value <= 0 || value > 65535)
                        return Report(XPC_BAD_ARRAYSIZE, kind->m_word, fieldName.c_str(), static_cast<int>(value),
                                      structName.c_str());
                    count = static_cast<WORD>(value);
                }
            }
            const Entry* warn = FindIn(list, field, u"*WARNWHENEMPTY", depth + 2);
            if (def.m_columns.empty()) def.m_columns.push_back(TagColumn());

            ColumnDef column;
            column.m_name = fieldName;
            column.m_kind = kind->m_kind;
            column.m_elementSize = kind->m_elementSize;
            column.m_count = count;
            column.m_warnWhenEmpty = !(warn && warn->m_value == u"OFF");
            if (kind->m_kind == XprColumnKind::XPDSTRUCT) {
                column.m_nested = std::make_unique<StructDef>();
                if (const DWORD result = DefineStruct(context, *column.m_nested, fieldName, depth + 1, block);
                    result >= KIT_SEVERITY_ERROR)
                    return result;
            } else {
                if (fieldName.empty()) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
                if (fieldName.size() >= XPR_NAME_CHARS) {
                    Report(XPC_FIELD_NAME_TOO_LONG, fieldName.c_str(), static_cast<int>(XPR_NAME_CHARS - 1));
                    return Report(XPC_FIELD_NOT_MADE, fieldName.c_str(), structName.c_str());
                }
            }
            def.m_columns.push_back(std::move(column));
        }
    }
    if (!declared || def.m_columns.empty()) return Report(XPC_NO_DEFINITION, structName.c_str());
    if (!LayOut(def)) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    return worst;
}

DWORD FillRows(Context& context, StructDef& def, std::u16string_view section, int depth, const std::u16string* model,
               const ReferenceList& inherited, bool forceWrite, const Entry* owner, bool* missingLevel) {
    if (section.empty()) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    const EntryList& list = context.m_entries;

    // One description may carry rows for several models: the printer's model selects its own.
    const std::u16string* selected = nullptr;
    if (depth == 0 && model && FindIn(list, owner, section, depth, model)) selected = model;

    size_t count = 0;
    for (const Entry* entry = FindIn(list, owner, section, depth, selected); entry;
         entry = FindIn(list, owner, section, depth, selected, entry))
        ++count;
    const bool zeroRow = count == 0;
    if (zeroRow) {
        if (!forceWrite) {
            *missingLevel = true;
            return Report(XPC_NO_ROWS, def.m_name.c_str());
        }
        count = 1;  // one zero row, without a key
    }
    if (def.m_rowCount + count > 0xFFFF) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    def.m_rowCount = static_cast<WORD>(def.m_rowCount + count);
    def.m_rows.resize(static_cast<size_t>(def.m_rowCount) * def.m_stride, 0);
    def.m_cells.resize(def.m_rowCount);
    for (RowCells& cells : def.m_cells) {
        cells.m_strings.resize(def.m_stringSlots);
        cells.m_values.resize(def.m_valueSlots);
    }

    if (zeroRow) {
        ++def.m_nextRow;
        return 0;
    }

    DWORD worst = 0;
    ReferenceList current = depth == 0 ? nullptr : inherited;
    for (const Entry* row = FindIn(list, owner, section, depth, selected); row;
         row = FindIn(list, owner, section, depth, selected, row)) {
        const WORD index = def.m_nextRow;
        BYTE* bytes = def.m_rows.data() + static_cast<size_t>(index) * def.m_stride;
        def.m_cells[index].m_strings[0] = row->m_value;

        if (depth == 0) current = nullptr;
        if (FindIn(list, row, u"*REFERENCES", depth + 1)) {
            current = std::make_shared<std::vector<XpdReference>>();
            for (const Entry* reference = FindIn(list, row, u"*REFERENCES", depth + 1); reference;
                 reference = FindIn(list, row, u"*REFERENCES", depth + 1, nullptr, reference)) {
                const DWORD result = AddReference(context, current, reference->m_value);
                if (result >= KIT_SEVERITY_ERROR) return result;
                worst = Worst(worst, result);
            }
        }
        def.m_references = current;

        for (size_t c = 1; c < def.m_columns.size(); ++c) {
            const ColumnDef& column = def.m_columns[c];
            DWORD result = 0;
            if (column.m_kind == XprColumnKind::XPDSTRUCT) {
                StructDef& nested = *column.m_nested;
                const WORD first = nested.m_nextRow;
                result = FillRows(context, nested, u"*" + column.m_name, depth + 1, nullptr, current, forceWrite, row,
                                  missingLevel);
                if (result >= KIT_SEVERITY_ERROR) return result;
                if (*missingLevel) return Worst(worst, result);  // the structure is dropped: stop here
                std::memcpy(bytes + column.m_offset + offsetof(XprStructValue, m_firstRow), &first, sizeof first);
                std::memcpy(bytes + column.m_offset + offsetof(XprStructValue, m_endRow), &nested.m_rowCount,
                            sizeof nested.m_rowCount);
                nested.m_nextRow = nested.m_rowCount;
            } else if (column.m_kind == XprColumnKind::DYNAMIC) {
                result = FillDynamic(context, def, column, *row, depth, current);
            } else if (const Entry* field = FindIn(list, row, u"*" + column.m_name, depth + 1); !field) {
                if (column.m_warnWhenEmpty)
                    result = Report(XPC_NO_VALUE, column.m_name.c_str(), def.m_name.c_str(), row->m_value.c_str());
            } else if (field->m_value.empty()) {
                if (column.m_warnWhenEmpty)
                    result = Report(XPC_EMPTY_VALUE, column.m_name.c_str(), def.m_name.c_str(), row->m_value.c_str());
            } else {
                result = ConvertValue(context, column, *field, bytes + column.m_offset,
                                      column.m_kind == XprColumnKind::STRING ? &def.m_cells[index].m_strings[column.m_slot]
                                                                             : nullptr);
            }
            if (result >= KIT_SEVERITY_ERROR) return result;
            worst = Worst(worst, result);
        }
        ++def.m_nextRow;
    }
    return worst;
}

DWORD AddReference(Context& context, ReferenceList& list, std::u16string_view value) {
    const std::u16string text(value);
    const size_t open = value.find(u'(');
    if (value.find(u'.') == std::u16string_view::npos || open == std::u16string_view::npos ||
        value.find(u')') == std::u16string_view::npos || open + 2 > value.size())
        return Report(XPC_BAD_REFERENCE, text.c_str());
    XpdReference reference;
    reference.m_source = std::u16string(value.substr(0, open));
    reference.m_target = std::u16string(value.substr(open + 1, value.size() - open - 2));
    if (!list) list = std::make_shared<std::vector<XpdReference>>();
    for (const XpdReference& earlier : *list)
        if (earlier.m_target == reference.m_target)
            return Report(XPC_REFERENCE_TWICE, reference.m_target.c_str(), reference.m_source.c_str());

    if (const DWORD result = CheckPath(reference.m_source, value, kSourcePath); result) return result;
    if (const DWORD result = CheckPath(reference.m_target, value, kTargetPath); result) return result;
    reference.m_sourceParts = SplitPath(reference.m_source);
    reference.m_targetParts = SplitPath(reference.m_target);
    if (reference.m_sourceParts[0] == reference.m_targetParts[0])
        return Report(XPC_REFERENCE_SAME_STRUCT, reference.m_source.c_str(), reference.m_target.c_str(),
                      reference.m_sourceParts[0].c_str());

    StructDef source;
    const ColumnDef* from = nullptr;
    if (const DWORD result = ResolvePath(context, reference.m_sourceParts, text, kSourcePath, source, &from); result) return result;
    if (from->m_kind == XprColumnKind::STRING) return Report(XPC_REFERENCE_FROM_STRING, text.c_str(), from->m_name.c_str());
    if (from->m_kind == XprColumnKind::DYNAMIC) return Report(XPC_REFERENCE_FROM_DYNAMIC, text.c_str(), from->m_name.c_str());
    reference.m_kind = from->m_kind;
    reference.m_elementSize = from->m_elementSize;
    reference.m_count = from->m_count;

    StructDef target;
    const ColumnDef* to = nullptr;
    if (const DWORD result = ResolvePath(context, reference.m_targetParts, text, kTargetPath, target, &to); result) return result;
    if (to->m_kind != XprColumnKind::DYNAMIC) return Report(XPC_REFERENCE_NOT_DYNAMIC, text.c_str(), to->m_name.c_str());

    list->push_back(std::move(reference));
    return 0;
}

void FreeStructDef(StructDef& def) {
    def.m_columns.clear();  // nested definitions go with their columns
    def.m_rows.clear();
    def.m_cells.clear();
    def.m_references.reset();
    def.m_rowCount = 0;
    def.m_nextRow = 0;
    def.m_stride = 0;
    def.m_stringSlots = 0;
    def.m_valueSlots = 0;
}

}  // namespace xpc
