#include "xpc_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <palvex/paths.h>

#include "store_fixture.h"

namespace xpctest {

std::string Crlf(std::string_view text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

void WriteMachineFile(std::u16string_view path, std::string_view bytes) {
    const std::filesystem::path host = palvex::HostPath(path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + host.string());
}

std::u16string DriverFile(std::u16string_view name) {
    return std::u16string(kDriverFolder) + u"\\" + std::u16string(name);
}

std::vector<EntryTuple> Entries(const xpc::Context& context, size_t skip) {
    std::vector<EntryTuple> entries;
    size_t index = 0;
    for (const xpc::Entry* entry = context.m_entries.head(); entry; entry = entry->m_next, ++index)
        if (index >= skip) entries.emplace_back(entry->m_keyword, entry->m_value, entry->m_depth);
    return entries;
}

Parsed Parse(std::string_view text, bool lenient) {
    Parsed parsed;
    const std::string crlf = Crlf(text);
    parsed.m_result = xpc::ParseText(*parsed.m_context, crlf, lenient, u"test.xpd", 1);
    return parsed;
}

std::unique_ptr<Filled> Fill(xpc::Context& context, const std::u16string& name, const std::u16string& model) {
    auto filled = std::make_unique<Filled>();
    filled->m_defined = xpc::DefineStruct(context, filled->m_def, name, 0);
    if (filled->m_defined >= KIT_SEVERITY_ERROR) return filled;
    filled->m_filled = xpc::FillRows(context, filled->m_def, u"*" + name, 0, &model, nullptr, filled->m_def.m_forceWrite,
                                     nullptr, &filled->m_missingLevel);
    return filled;
}

std::vector<BYTE> Assemble(const xpc::StructDef& def) {
    xprtest::StorePtr store = xprtest::NewStore();
    if (xpc::AssembleBlock(def, store.get()) >= KIT_SEVERITY_ERROR) return {};
    if (PackTable(store.get(), store->m_root, FALSE) >= KIT_SEVERITY_ERROR) return {};
    return xprtest::BlockBytes(store.get());
}

void InstallPrinter(const std::u16string& dataFile, const std::vector<std::u16string>& dependentFiles) {
    palvex::DriverDesc driver;
    driver.name = kDriver;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = dataFile;
    driver.dependentFiles = dependentFiles;
    palvex::AddDriver(driver);
    palvex::AddPrinter(kPrinter, kDriver);
}

std::u16string PeekText(const std::vector<BYTE>& bytes, size_t at) {
    std::u16string text;
    for (; at + 1 < bytes.size(); at += 2) {
        char16_t unit = 0;
        std::memcpy(&unit, bytes.data() + at, 2);
        if (!unit) break;
        text += unit;
    }
    return text;
}

std::u16string UnalignedText(const void* text) {
    std::u16string result;
    const auto* bytes = static_cast<const BYTE*>(text);
    for (char16_t unit = 0;; bytes += 2) {
        std::memcpy(&unit, bytes, 2);
        if (!unit) return result;
        result += unit;
    }
}

}  // namespace xpctest
