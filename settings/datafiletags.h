// The tag lines of the driver's data files that enclose the sections the settings writers own.
#pragma once

// GPD: the printer settings ("*Define: " lines) and the custom media.
#define TAG_RTI_BEGIN "*% RTI BEGIN - DO NOT REMOVE THIS TAG"
#define TAG_RTI_END "*% RTI END - DO NOT REMOVE THIS TAG"
#define TAG_CMS_BEGIN "*% CMS BEGIN - DO NOT REMOVE THIS TAG"
#define TAG_CMS_END "*% CMS END - DO NOT REMOVE THIS TAG"

// GPD and PPD: the embedded option description; in a PPD the settings sections stand before it.
#define TAG_XPD_BEGIN "*% XPD BEGIN - DO NOT REMOVE THIS TAG"

// PPD: custom-media blocks, each filled from the template between its SYN tags.
#define TAG_PPD_CMS_BEGIN "*%__ CMS BEGIN - DO NOT REMOVE THIS TAG"
#define TAG_PPD_CMS_END "*%__ CMS END - DO NOT REMOVE THIS TAG"
#define TAG_PPD_SYN_BEGIN "*%__ SYN BEGIN - DO NOT REMOVE THIS TAG"
#define TAG_PPD_SYN_END "*%__ SYN END - DO NOT REMOVE THIS TAG"

// PPD settings sections: "*%Ifdef: " and "*%Endif: " followed by a section name and
// PPD_SECTION_SUFFIX. Inside, sub-blocks run from a "*%Ifdef: <symbol>" line to the next
// "*%Endif: " line.
#define PPD_IFDEF "*%Ifdef: "
#define PPD_ENDIF "*%Endif: "
#define PPD_SECTION_SUFFIX " - DO NOT REMOVE THIS TAG"
#define PPD_COMMENT "*%"
