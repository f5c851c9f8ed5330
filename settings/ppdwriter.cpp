// The PPD writers: option lines of the settings sections switched on and off by a "*%" prefix,
// and the custom-media blocks filled from their templates.
#include <array>
#include <cmath>
#include <cstdio>

#include "cmswriter.h"
#include "codrvsettings.h"
#include "datafiletags.h"
#include "kittrace.h"
#include "quotable_text.h"
#include "settingssymbols.h"

namespace {

constexpr std::string_view kScalingOn = "_LRGSIZESCL_01";
constexpr std::string_view kOpeningSource = "_OPTSOURCE_0100";
constexpr std::array<std::string_view, 5> kSizeSections = {
    "_MEDIA_SIZES_PAGESIZE", "_MEDIA_SIZES_PAGESIZE_DUP", "_MEDIA_SIZES_PAGEREGION",
    "_MEDIA_SIZES_IMAGEABLEAREA", "_MEDIA_SIZES_PAGEDIMENSION",
};

// --- Lines ------------------------------------------------------------------------------------------

struct Line {
    std::string m_text;  // without its line end
    std::string m_end;   // "\r\n", "\r", "\n" or nothing (the last line)
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t next = NextLineStart(text, at);
        const size_t end = text.find_first_of("\r\n", at);
        const size_t textEnd = end == std::string_view::npos || end > next ? next : end;
        lines.push_back(Line{std::string(text.substr(at, textEnd - at)), std::string(text.substr(textEnd, next - textEnd))});
        at = next;
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) text.append(line.m_text).append(line.m_end);
    return text;
}

bool IsIfdef(const Line& line) {
    return StartsWith(line.m_text, PPD_IFDEF);
}
bool IsEndif(const Line& line) {
    return StartsWith(line.m_text, PPD_ENDIF);
}
// A "*%Ifdef: " or "*%Endif: " line that begins with the symbol after its keyword.
bool IsIfdefOf(const Line& line, std::string_view symbol) {
    return !symbol.empty() && IsIfdef(line) &&
           StartsWith(std::string_view(line.m_text).substr(sizeof PPD_IFDEF - 1), symbol);
}
bool IsEndifOf(const Line& line, std::string_view symbol) {
    return !symbol.empty() && IsEndif(line) &&
           StartsWith(std::string_view(line.m_text).substr(sizeof PPD_ENDIF - 1), symbol);
}

void Switch(Line* line, bool enable) {
    const bool disabled = StartsWith(line->m_text, PPD_COMMENT);
    if (enable && disabled) line->m_text.erase(0, sizeof PPD_COMMENT - 1);
    if (!enable && !disabled) line->m_text.insert(0, PPD_COMMENT);
}

// The first line at or after from that contains tag, or npos.
size_t FindLine(const std::vector<Line>& lines, std::string_view tag, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].m_text.find(tag) != std::string::npos) return i;
    return std::string::npos;
}

// The body of a section: the lines between its tag lines.
struct Section {
    size_t m_first = 0;
    size_t m_end = 0;
    bool m_found = false;
};

Section FindSection(const std::vector<Line>& lines, std::string_view name) {
    Section section;
    const std::string suffix = std::string(name) + PPD_SECTION_SUFFIX;
    const size_t begin = FindLine(lines, PPD_IFDEF + suffix);
    if (begin == std::string::npos) return section;
    const size_t end = FindLine(lines, PPD_ENDIF + suffix, begin + 1);
    if (end == std::string::npos) return section;
    section.m_first = begin + 1;
    section.m_end = end;
    section.m_found = true;
    return section;
}

// A sub-block: the header line and the lines after it up to the next "*%Endif: " (or the next
// "*%Ifdef: ", which no sub-block swallows). Tag lines themselves are never switched.
struct SubBlock {
    size_t m_header;
    size_t m_first;
    size_t m_end;  // the closing line, or the section's end
};

// Calls visit(sub-block, inside the _LRGSIZESCL_01 range) for each sub-block of the section in
// order. The range's own tag lines are not sub-blocks.
template <class Visit>
void ForEachSubBlock(std::vector<Line>& lines, const Section& section, Visit&& visit) {
    bool inRange = false;
    for (size_t i = section.m_first; i < section.m_end;) {
        if (IsIfdefOf(lines[i], kScalingOn)) {
            inRange = true;
            ++i;
            continue;
        }
        if (IsEndifOf(lines[i], kScalingOn)) {
            inRange = false;
            ++i;
            continue;
        }
        if (!IsIfdef(lines[i])) {
            ++i;
            continue;
        }
        SubBlock block{i, i + 1, i + 1};
        while (block.m_end < section.m_end && !IsIfdef(lines[block.m_end]) && !IsEndif(lines[block.m_end])) ++block.m_end;
        visit(block, inRange);
        i = block.m_end;
        if (i < section.m_end && IsEndif(lines[i]) && !IsEndifOf(lines[i], kScalingOn)) ++i;
    }
}

void SwitchBlock(std::vector<Line>& lines, const SubBlock& block, bool enable) {
    for (size_t i = block.m_first; i < block.m_end; ++i) Switch(&lines[i], enable);
}

bool MatchesAny(const Line& header, const std::vector<std::string>& symbols) {
    for (const std::string& symbol : symbols)
        if (IsIfdefOf(header, symbol)) return true;
    return false;
}

// Whether the section holds a "*%Ifdef: " line outside the lines from the custom-media block to
// the end of the _LRGSIZESCL_01 range.
bool HasIfdefOutsideCustomRange(const std::vector<Line>& lines, const Section& section) {
    size_t skipFrom = FindLine(lines, TAG_PPD_CMS_BEGIN, section.m_first);
    if (skipFrom >= section.m_end) skipFrom = section.m_end;
    size_t skipTo = section.m_end;
    for (size_t i = skipFrom; i < section.m_end; ++i)
        if (IsEndifOf(lines[i], kScalingOn)) {
            skipTo = i;
            break;
        }
    for (size_t i = section.m_first; i < section.m_end; ++i)
        if ((i < skipFrom || i > skipTo) && IsIfdef(lines[i])) return true;
    return false;
}

bool HasIfdef(const std::vector<Line>& lines, const Section& section) {
    for (size_t i = section.m_first; i < section.m_end; ++i)
        if (IsIfdef(lines[i])) return true;
    return false;
}

// What the printer settings say for the PPD.
struct PpdChoices {
    bool m_formAssign = false;
    std::string m_source;
    std::string m_scaling;
    std::vector<std::string> m_sizes;
    std::vector<std::string> m_types;
};

// The run of consecutive text symbols beginning with prefix, from the first such symbol on.
std::vector<std::string> TextRun(const std::vector<SettingsSymbol>& symbols, std::string_view prefix) {
    std::vector<std::string> run;
    auto matches = [&](const SettingsSymbol& s) { return s.m_isText && StartsWith(s.m_text, prefix); };
    size_t i = 0;
    while (i < symbols.size() && !matches(symbols[i])) ++i;
    for (; i < symbols.size() && matches(symbols[i]); ++i) run.push_back(symbols[i].m_text);
    return run;
}

PpdChoices ReadChoices(XprTable* printerSettings) {
    PpdChoices choices;
    const std::vector<SettingsSymbol> symbols = MakeSettingsSymbols(printerSettings);
    for (const SettingsSymbol& symbol : symbols) {
        if (!symbol.m_reachable) continue;
        if (symbol.m_text == "_FORMASSIGN_01") choices.m_formAssign = true;
        if (StartsWith(symbol.m_text, "_OPTSOURCE_")) choices.m_source = symbol.m_text;
        if (StartsWith(symbol.m_text, "_LRGSIZESCL_")) choices.m_scaling = symbol.m_text;
    }
    choices.m_sizes = TextRun(symbols, "_MEDIASIZE_");
    choices.m_types = TextRun(symbols, "_MEDIATYPE_");
    return choices;
}

HRESULT SwitchSources(std::vector<Line>& lines, const PpdChoices& choices) {
    const Section section = FindSection(lines, "_MEDIASOURCES");
    if (!section.m_found) return E_FAIL;
    bool first = true;
    ForEachSubBlock(lines, section, [&](const SubBlock& block, bool) {
        if (first && IsIfdefOf(lines[block.m_header], kOpeningSource)) {
            SwitchBlock(lines, block, !choices.m_formAssign);
        } else {
            SwitchBlock(lines, block, !choices.m_formAssign && IsIfdefOf(lines[block.m_header], choices.m_source));
        }
        first = false;
    });
    return S_OK;
}

void SwitchTypes(std::vector<Line>& lines, const PpdChoices& choices) {
    const Section section = FindSection(lines, "_MEDIATYPES");
    ForEachSubBlock(lines, section, [&](const SubBlock& block, bool) {
        SwitchBlock(lines, block, !choices.m_formAssign || MatchesAny(lines[block.m_header], choices.m_types));
    });
}

HRESULT SwitchSizes(std::vector<Line>& lines, const PpdChoices& choices) {
    HRESULT result = S_OK;
    for (std::string_view name : kSizeSections) {
        const Section section = FindSection(lines, name);
        bool hasRange = false, hasRangeEnd = false;
        for (size_t i = section.m_first; section.m_found && i < section.m_end; ++i) {
            hasRange = hasRange || IsIfdefOf(lines[i], kScalingOn);
            hasRangeEnd = hasRangeEnd || IsEndifOf(lines[i], kScalingOn);
        }
        if (!section.m_found || !hasRange || !hasRangeEnd) {
            result = E_FAIL;
            continue;
        }
        bool state = true;
        ForEachSubBlock(lines, section, [&](const SubBlock& block, bool inRange) {
            if (inRange) {
                if (choices.m_formAssign || choices.m_scaling != kScalingOn) state = false;
                SwitchBlock(lines, block, state);
            } else if (choices.m_formAssign) {
                SwitchBlock(lines, block, MatchesAny(lines[block.m_header], choices.m_sizes));
            } else {
                SwitchBlock(lines, block, state);
            }
        });
    }
    return result;
}

// --- Custom media -------------------------------------------------------------------------------------

// The template body of one medium: "*%__" removed, placeholders replaced. The horizontal margin
// gives the X corners and the vertical one the Y corners.
std::string ExpandTemplate(std::string_view body, const CmsMedium& medium, LONG horizontal, LONG vertical) {
    std::string text;
    for (size_t at = 0; at < body.size();) {
        if (body.compare(at, 4, "*%__") == 0) {
            at += 4;
        } else {
            text += body[at++];
        }
    }
    const LONG width = static_cast<LONG>(std::trunc(medium.m_width * 72.0 / 25400.0));
    const LONG height = static_cast<LONG>(std::trunc(medium.m_height * 72.0 / 25400.0));
    const std::pair<std::string_view, std::string> values[] = {
        {"NAME", medium.m_symbol},
        {"DNAME", QuotableText(medium.m_name)},
        {"WIDTH", std::to_string(width)},
        {"HEIGHT", std::to_string(height)},
        {"LLX", std::to_string(horizontal)},
        {"LLY", std::to_string(vertical)},
        {"URX", std::to_string(width - 2 * horizontal)},
        {"URY", std::to_string(height - 2 * vertical)},
    };
    std::string out;
    for (size_t at = 0; at < text.size();) {
        bool replaced = false;
        if (text[at] == '#') {
            for (const auto& [word, value] : values) {
                if (text.compare(at + 1, word.size(), word) == 0) {
                    out += value;
                    at += 1 + word.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[at++];
    }
    return out;
}

// One CMS block [begin, end tag) rewritten from its template.
void AppendCmsBlock(std::string* out, std::string_view content, size_t begin, size_t endTag, size_t after,
                    const std::vector<CmsMedium>& media, LONG horizontal, LONG vertical) {
    const std::string_view block = content.substr(begin, endTag - begin);
    const size_t synBegin = block.find(TAG_PPD_SYN_BEGIN);
    const size_t synEnd =
        synBegin == std::string_view::npos ? synBegin : block.find(TAG_PPD_SYN_END, synBegin + sizeof TAG_PPD_SYN_BEGIN - 1);
    if (synEnd == std::string_view::npos) {
        out->append(content.substr(begin, after - begin));  // no template: kept as it stands
        return;
    }
    out->append(TAG_PPD_CMS_BEGIN "\r\n");
    out->append(block.substr(synBegin, synEnd - synBegin));
    out->append(TAG_PPD_SYN_END "\r\n");
    const size_t bodyStart = std::min(NextLineStart(block, synBegin), synEnd);
    const std::string_view body = block.substr(bodyStart, synEnd - bodyStart);
    for (const CmsMedium& medium : media) out->append(ExpandTemplate(body, medium, horizontal, vertical));
    if (media.empty()) out->append("\r\n");
    out->append(TAG_PPD_CMS_END "\r\n");
}

}  // namespace

HRESULT CoDrvSettings::UpdatePpdSettings(DataFileImage* image, XprTable* printerSettings) {
    if (!image || image->m_path.empty()) return E_FAIL;
    const HRESULT result = RewriteDataFile(image, [&](std::string_view content, DataFileRewrite* rewrite) {
        rewrite->m_result = E_FAIL;
        const size_t tail = FindTag(content, TAG_XPD_BEGIN);
        if (tail == std::string_view::npos) return;
        std::vector<Line> head = SplitLines(content.substr(0, tail));
        const Section sizes = FindSection(head, "_MEDIA_SIZES_PAGESIZE");
        const Section types = FindSection(head, "_MEDIATYPES");
        if (!sizes.m_found || !HasIfdefOutsideCustomRange(head, sizes) || !types.m_found || !HasIfdef(head, types))
            return;

        const PpdChoices choices = ReadChoices(printerSettings);
        if (FAILED(SwitchSources(head, choices)))
            DebugTrace(2, u"%s: no media source section\n", u"CoDrvSettings::UpdatePpdSettings");
        SwitchTypes(head, choices);
        rewrite->m_result = SwitchSizes(head, choices);
        rewrite->m_text = JoinLines(head);
        rewrite->m_text.append(content.substr(tail));
        rewrite->m_write = true;
    });
    if (FAILED(result)) DebugTrace(1, u"%s: rewrite failed hr=[%08x]\n", u"CoDrvSettings::UpdatePpdSettings", result);
    return result;
}

HRESULT WritePpdCustomMedia(CmsFileWriter* writer, const CustomMediaList* list) {
    if (!writer || !list) return E_INVALIDARG;
    constexpr size_t kBeginLength = sizeof TAG_PPD_CMS_BEGIN - 1;
    constexpr size_t kEndLength = sizeof TAG_PPD_CMS_END - 1;
    const HRESULT result = RewriteDataFile(&writer->m_image, [&](std::string_view content, DataFileRewrite* rewrite) {
        size_t begin = FindTag(content, TAG_PPD_CMS_BEGIN);
        if (begin == std::string_view::npos || FindTag(content, TAG_PPD_CMS_END, begin + kBeginLength) == std::string_view::npos) {
            rewrite->m_result = S_FALSE;
            return;
        }
        const std::vector<CmsMedium> media = WrittenMedia(writer, list);
        std::string& out = rewrite->m_text;
        out.assign(content.substr(0, begin));
        while (begin != std::string_view::npos) {
            const size_t endTag = FindTag(content, TAG_PPD_CMS_END, begin + kBeginLength);
            if (endTag == std::string_view::npos) {
                out.append(content.substr(begin));  // an unfinished block is kept as it stands
                break;
            }
            const size_t after = NextLineStart(content, endTag + kEndLength);
            AppendCmsBlock(&out, content, begin, endTag, after, media, writer->m_margins[2], writer->m_margins[0]);
            const size_t next = FindTag(content, TAG_PPD_CMS_BEGIN, after);
            out.append(content.substr(after, next == std::string_view::npos ? std::string_view::npos : next - after));
            begin = next;
        }
        rewrite->m_write = true;
    });
    if (FAILED(result)) DebugTrace(1, u"%s: rewrite failed hr=[%08x]\n", u"WritePpdCustomMedia", result);
    return result;
}
