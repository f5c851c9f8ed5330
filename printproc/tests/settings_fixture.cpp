#include "settings_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <palvex/paths.h>
#include <palvex/spool_writer.h>

#include "driver_columns.h"
#include "le_fields.h"
#include "xpr.h"

namespace pptest {
namespace {

using xprtest::BlockBuilder;
using xprtest::ColumnSpec;
using K = XprColumnKind;

std::vector<ColumnSpec> OemDevmodeColumns() {
    return xprtest::Columns(xprtest::DevmodeLeadColumns(), {
        {u"_WMK_ENABLED", K::BYTE},
        {u"_WMK_1STPAGEONLY", K::BYTE},
        {u"_WMK_TEXT", K::CHAR, 64},
        {u"_WMK_ANGLE", K::BYTE},
        {u"_WMK_DEGREE", K::WORD},
        {u"_WMK_FONT", K::CHAR, 64},
        {u"_WMK_COLOR", K::COLORREF},
        {u"_WMK_SHADE", K::WORD},
        {u"_WMK_SIZE", K::WORD},
        {u"_WMK_STYLE", K::BYTE},
        {u"_WMK_TEXT_IDX", K::WORD},
        {u"_POSTER", K::BYTE},
        {u"_POSTER_CROP", K::BYTE},
        {u"_ACC_DOCPAGECOUNT", K::DWORD},
        {u"_ACC_NUPPAGEORIENT", K::DWORD},
        {u"_FIRSTPAGESIZE", K::DWORD},
        {u"_XPD_RESERVE", K::BYTE, 16},
        {u"_OEM_RESERVE", K::BYTE, 64},
        {u"_GRXMODE", K::BYTE},
        {u"_ROTATED", K::BYTE},
        {u"_GRAYSCALE", K::BYTE},
        {u"_BINDING_ENABLED", K::BYTE},
        {u"_BINDING_DIRECT_DUMMY", K::BYTE},
        {u"_BINDING_SHIFT", K::BYTE},
        {u"_BINDING_MARGIN", K::DWORD},
        {u"_BINDING_ADJUSTRECT", K::DWORD, 4},
        {u"_DATETIME_ENABLED", K::BYTE},
        {u"_DATETIME_1STPAGEONLY", K::BYTE},
        {u"_DATETIME_DATEFMT", K::BYTE},
        {u"_DATETIME_TIMEFMT", K::BYTE},
        {u"_DATETIME_POS", K::BYTE},
    });
}

}  // namespace

std::vector<BYTE> OemDevmodeBlock(const std::vector<BYTE>& defaultRecord) {
    BlockBuilder builder;
    const int table = builder.AddTable(u"OEMDEVMODE", OemDevmodeColumns());
    const int row = builder.AddRow(table, u"DEFAULT");
    if (!defaultRecord.empty()) builder.SetBytes(table, row, u"_SIZE", defaultRecord);
    return builder.Build();
}

std::vector<BYTE> PrinterSettingsBlock(const PrinterValues& values) {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::PrinterSettingsLeadColumns(), {
        {u"_DRVTYPE", K::DWORD},
        {u"_DEVICETYPE", K::DWORD},
        {u"_DUPLEXTYPE", K::DWORD},
        {u"_WMKMODE", K::DWORD},
        {u"_PPRCOLLATEDCOPIES", K::DWORD},
        {u"_XPD_RESERVE", K::BYTE, 20},
        {u"_OEM_RESERVE", K::BYTE, 64},
    });
    const int table = builder.AddTable(u"PRINTERSETTINGS", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_PDLTYPE", values.pdlType);
    builder.SetDword(table, row, u"_DEVICETYPE", values.deviceType);
    builder.SetDword(table, row, u"_DUPLEXTYPE", values.duplexType);
    builder.SetDword(table, row, u"_WMKMODE", values.wmkMode);
    builder.SetDword(table, row, u"_PPRCOLLATEDCOPIES", values.collatedCopies);
    return builder.Build();
}

void InstallSettingsPrinter(palvex::TestMachine& machine, const PrinterValues& values) {
    machine.AddPrinterWithDriver(kPrinter);
    WritePrinterValue(kPrinter, u"OEMDEVMODE", OemDevmodeBlock());
    WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock(values));
}

Devmode::Devmode(WORD dmSize, WORD universalPart, bool postScript, WORD driverExtra)
    : m_bytes(static_cast<size_t>(dmSize) + driverExtra + universalPart + kRecordSize + 256, 0),
      m_blockAt(DWORD{dmSize} + universalPart) {
    const WORD sizeAt = postScript ? 114 : 8;
    auto put = [&](size_t at, WORD value) { xprtest::Poke(m_bytes, at, value); };
    put(dmSize + sizeAt, universalPart);
    SetDword(at::kSize, kRecordSize);
    SetDword(at::kSignature, XPR_SIGNATURE);
    // The public fields last: a short public part may overlap what was written above.
    put(offsetof(DEVMODEW, dmSpecVersion), DM_SPECVERSION);
    put(offsetof(DEVMODEW, dmSize), dmSize);
    put(offsetof(DEVMODEW, dmDriverExtra), driverExtra);
}

void Devmode::Set(DWORD offset, const std::vector<BYTE>& bytes) {
    if (m_blockAt + offset + bytes.size() > m_bytes.size()) throw std::out_of_range("Devmode::Set");
    std::memcpy(m_bytes.data() + m_blockAt + offset, bytes.data(), bytes.size());
}

void Devmode::SetWord(DWORD offset, WORD value) {
    Set(offset, xprtest::LeBytes(value));
}

void Devmode::SetDword(DWORD offset, DWORD value) {
    Set(offset, xprtest::LeBytes(value));
}

void Devmode::SetText(DWORD offset, const std::u16string& text) {
    std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    Set(offset, bytes);
}

std::vector<BYTE> JobDevmode(const std::function<void(Devmode&)>& change, short paper) {
    Devmode devmode;
    const std::vector<BYTE> plain = palvex::MakeDevMode(paper);
    std::vector<BYTE>& bytes = devmode.bytes();
    const WORD extra = devmode.get()->dmDriverExtra;
    std::memcpy(bytes.data(), plain.data(), sizeof(DEVMODEW));
    devmode.get()->dmDriverExtra = extra;
    devmode.get()->dmNup = DMNUP_SYSTEM;
    devmode.SetDword(at::kPdlType, 50);
    devmode.SetByte(at::kNupBorder, 1);
    devmode.SetByte(at::kNupOrder, 1);
    devmode.SetWord(at::kScaleFactor, 100);
    devmode.SetByte(at::kGrxMode, 1);
    if (change) change(devmode);
    return std::vector<BYTE>(bytes.begin(), bytes.begin() + sizeof(DEVMODEW) + extra);
}

std::u16string WriteSpoolFile(const std::u16string& name, const std::vector<BYTE>& bytes) {
    const std::u16string spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\" + name;
    const std::filesystem::path host = palvex::HostPath(spoolFile);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return spoolFile;
}

std::vector<BYTE> Devmode::Get(DWORD offset, DWORD size) const {
    return std::vector<BYTE>(m_bytes.begin() + m_blockAt + offset, m_bytes.begin() + m_blockAt + offset + size);
}

}  // namespace pptest
