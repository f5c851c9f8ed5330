// The media types a universal-driver printer offers of itself: the options of the MediaType
// feature of its driver's GPD description (internal to the platform library).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <palvex/printer_papers.h>

namespace palvex::paper {

// Each option of the "*Feature: MediaType" block of a GPD text, in order: its *OptionID and its
// *Name (the option's own keyword when it has none), cut to a media-type name's length. Options
// without a number from 1 on are left out.
std::vector<PrinterChoiceDesc> GpdMediaTypes(std::string_view gpd);

// The media types of the GPD of the printer's driver; none when its data file is not a GPD or
// cannot be read.
std::vector<PrinterChoiceDesc> DriverMediaTypes(int64_t printerId);

}  // namespace palvex::paper
