#include "spooler/gpd_media_types.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <palvex/paths.h>
#include <win/stringapiset.h>

#include "crt/utf16.h"
#include "spooler/paper_forms.h"
#include "spooler/spooler_store.h"

namespace palvex::paper {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The value of a "*Keyword: value" line, or nothing when the line is another keyword's.
bool ValueOf(std::string_view line, std::string_view keyword, std::string_view* value) {
    if (line.size() <= keyword.size() || line.substr(0, keyword.size()) != keyword || line[keyword.size()] != ':')
        return false;
    *value = Trim(line.substr(keyword.size() + 1));
    return true;
}

// A GPD text (in the ANSI code page) as UTF-16, without its quotes.
std::u16string Text(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.empty()) return {};
    std::u16string text(value.size(), u'\0');
    const int made = MultiByteToWideChar(CP_ACP, 0, value.data(), static_cast<int>(value.size()), text.data(),
                                         static_cast<int>(text.size()));
    text.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return text;
}

}  // namespace

std::vector<PrinterChoiceDesc> GpdMediaTypes(std::string_view gpd) {
    std::vector<PrinterChoiceDesc> types;
    int depth = 0;
    bool inFeature = false;
    std::string_view option;
    unsigned long id = 0;
    std::u16string name;
    while (!gpd.empty()) {
        const size_t end = gpd.find('\n');
        const std::string_view line = Trim(gpd.substr(0, end));
        gpd.remove_prefix(end == std::string_view::npos ? gpd.size() : end + 1);
        std::string_view value;
        if (line == "{") {
            ++depth;
        } else if (line == "}") {
            if (inFeature && depth == 2 && !option.empty()) {
                // An option ends: kept with a number a DEVMODE can carry.
                if (id >= 1 && id <= 0xFFFFFFFFul) {
                    if (name.empty()) name = Text(option);
                    if (name.size() > kPaperNameChars) name.resize(kPaperNameChars);
                    if (!name.empty()) types.push_back(PrinterChoiceDesc{static_cast<DWORD>(id), name});
                }
                option = {};
            }
            if (--depth <= 0) {
                depth = 0;
                if (inFeature) break;
            }
        } else if (depth == 0 && ValueOf(line, "*Feature", &value)) {
            inFeature = value == "MediaType";
        } else if (inFeature && depth == 1 && ValueOf(line, "*Option", &value)) {
            option = value;
            id = 0;
            name.clear();
        } else if (inFeature && depth == 2 && !option.empty() && ValueOf(line, "*OptionID", &value)) {
            const std::string number(value);
            char* rest = nullptr;
            id = number.empty() || number[0] == '-' ? 0 : std::strtoul(number.c_str(), &rest, 10);
            if (!rest || *rest) id = 0;
        } else if (inFeature && depth == 2 && !option.empty() && ValueOf(line, "*Name", &value)) {
            name = Text(value);
        }
    }
    return types;
}

std::vector<PrinterChoiceDesc> DriverMediaTypes(int64_t printerId) {
    const auto printer = spool::ReadPrinterDetails(printerId);
    const auto driver = printer ? spool::ReadDriver(printer->driverId) : std::nullopt;
    if (!driver || driver->dataFile.size() < 4 ||
        text::Upcase(driver->dataFile.substr(driver->dataFile.size() - 4)) != u".GPD")
        return {};
    std::ifstream file(HostPath(DriverFilePath(driver->environment, driver->version, driver->dataFile)), std::ios::binary);
    if (!file) return {};
    const std::string gpd{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return GpdMediaTypes(gpd);
}

}  // namespace palvex::paper
