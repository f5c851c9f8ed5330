// The columns the driver's stored records begin with, for tests that lay out OEMDEVMODE and
// PRINTERSETTINGS tables by hand: a layout is a lead below followed by the columns of its own.
#pragma once

#include <initializer_list>
#include <vector>

#include "block_builder.h"

namespace xprtest {

// Every record: its size and signature (which the reader sets), then its version.
inline std::vector<ColumnSpec> RecordHeadColumns() {
    return {{u"_SIZE", XprColumnKind::DWORD}, {u"_SIGNATURE", XprColumnKind::DWORD}, {u"_VERSION", XprColumnKind::DWORD}};
}

// A PRINTERSETTINGS record: the head, then the page description language.
inline std::vector<ColumnSpec> PrinterSettingsLeadColumns() {
    std::vector<ColumnSpec> columns = RecordHeadColumns();
    columns.push_back({u"_PDLTYPE", XprColumnKind::DWORD});
    return columns;
}

// The plug-ins' OEMDEVMODE record: the head and language, page order, booklet, n-up and scaling.
inline std::vector<ColumnSpec> DevmodeLeadColumns() {
    using K = XprColumnKind;
    std::vector<ColumnSpec> columns = PrinterSettingsLeadColumns();
    columns.insert(columns.end(), {{u"_PAGEORDER", K::BYTE},
                                   {u"_BOOKLET", K::BYTE},
                                   {u"_NUP_PAGES", K::BYTE},
                                   {u"_NUP_BORDER", K::BYTE},
                                   {u"_NUP_ORDER", K::BYTE},
                                   {u"_SCALEDOCON_ENABLED", K::BYTE},
                                   {u"_SCALEDOCON_SIZE", K::WORD},
                                   {u"_SCALEDOCON_TOFIT", K::BYTE},
                                   {u"_SCALE_FACTOR", K::WORD}});
    return columns;
}

// A lead followed by a layout's own columns.
inline std::vector<ColumnSpec> Columns(std::vector<ColumnSpec> lead, std::initializer_list<ColumnSpec> own) {
    lead.insert(lead.end(), own);
    return lead;
}

}  // namespace xprtest
