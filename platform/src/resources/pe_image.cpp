// Checks a PE file's headers and resource tree and indexes its resources.
//
// Layout read here (PE/COFF): the DOS header gives at 0x3C the offset of "PE\0\0"; the 20-byte COFF
// header follows (section count at +2, optional-header size at +16), then the optional header
// (magic 0x10B or 0x20B; data-directory count and table at 92/96 or 108/112; the resource table is
// directory 2), then the section table (40 bytes a section: virtual size +8, virtual address +12,
// raw size +16, raw offset +20). The resource tree has three levels (type, name, language) of
// directory tables (16 bytes, named and id entry counts at +12 and +14, then 8-byte entries); an
// entry's high bit marks a name string (length-prefixed UTF-16) or a subdirectory, offsets being
// relative to the start of the tree; the language level leads to 16-byte data entries whose first
// field is the data's virtual address and second its size.
#include "resources/pe_image.h"

#include <cstring>
#include <set>
#include <string_view>

#include <win/winerror.h>

#include "crt/utf16.h"

namespace palvex::pe {
namespace {

constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kMaxSections = 96;  // what the Windows loader accepts
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kDirectoryTableSize = 16;
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kLanguageLevel = 2;

struct Section {
    uint32_t virtualAddress;
    uint32_t extent;  // bytes of the section that are in the file
    uint32_t rawOffset;
};

}  // namespace

ResourceKey ResourceKey::Name(std::u16string_view name) {
    return {false, 0, text::Upcase(name)};
}

// Reads one image; every read is checked against the bytes it comes from.
class ImageParser {
public:
    explicit ImageParser(PeImage& image) : m_image(image), m_bytes(image.m_bytes.data()), m_size(image.m_bytes.size()) {}

    bool Run() {
        uint32_t resourceRva = 0;
        uint32_t resourceSize = 0;
        if (!ReadHeaders(&resourceRva, &resourceSize)) return false;
        if (resourceRva == 0 || resourceSize == 0) return true;  // a module without resources
        uint64_t start = 0;
        uint64_t available = 0;
        if (!MapRva(resourceRva, resourceSize, &start, &available)) return false;
        m_treeStart = start;
        m_treeSize = resourceSize;
        m_image.m_hasResources = true;
        if (!ReadTypes()) return false;
        for (const PeImage::TypeNode& type : m_image.m_types)
            for (const PeImage::NameNode& name : type.names)
                for (const ResourceEntry& entry : name.languages) m_image.m_entriesByOffset.emplace(entry.entryOffset, &entry);
        return true;
    }

private:
    bool Read16(uint64_t offset, uint16_t* value) const {
        if (offset > m_size || m_size - offset < 2) return false;
        std::memcpy(value, m_bytes + offset, 2);
        return true;
    }
    bool Read32(uint64_t offset, uint32_t* value) const {
        if (offset > m_size || m_size - offset < 4) return false;
        std::memcpy(value, m_bytes + offset, 4);
        return true;
    }

    bool ReadHeaders(uint32_t* resourceRva, uint32_t* resourceSize) {
        if (m_size < kDosHeaderSize || m_bytes[0] != 'M' || m_bytes[1] != 'Z') return false;
        uint32_t peOffset = 0;
        if (!Read32(0x3C, &peOffset)) return false;
        if (uint64_t{peOffset} + 4 + kCoffHeaderSize > m_size) return false;
        if (std::memcmp(m_bytes + peOffset, "PE\0\0", 4) != 0) return false;
        const uint64_t coff = uint64_t{peOffset} + 4;
        uint16_t sectionCount = 0;
        uint16_t optionalSize = 0;
        if (!Read16(coff + 2, &sectionCount) || !Read16(coff + 16, &optionalSize)) return false;
        const uint64_t optional = coff + kCoffHeaderSize;
        if (optional + optionalSize > m_size || optionalSize < 2) return false;

        uint16_t magic = 0;
        Read16(optional, &magic);
        uint32_t countOffset = 0;
        uint32_t tableOffset = 0;
        if (magic == 0x10B) {
            countOffset = 92;
            tableOffset = 96;
        } else if (magic == 0x20B) {
            countOffset = 108;
            tableOffset = 112;
        } else {
            return false;
        }
        if (optionalSize < tableOffset) return false;
        uint32_t directoryCount = 0;
        Read32(optional + countOffset, &directoryCount);
        if (uint64_t{directoryCount} * 8 > optionalSize - tableOffset) return false;
        if (directoryCount > kResourceDirectoryIndex) {
            const uint64_t entry = optional + tableOffset + kResourceDirectoryIndex * 8;
            Read32(entry, resourceRva);
            Read32(entry + 4, resourceSize);
        }

        if (sectionCount > kMaxSections) return false;
        const uint64_t table = optional + optionalSize;
        if (table + uint64_t{sectionCount} * kSectionHeaderSize > m_size) return false;
        for (uint32_t i = 0; i < sectionCount; ++i) {
            const uint64_t header = table + uint64_t{i} * kSectionHeaderSize;
            uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
            Read32(header + 8, &virtualSize);
            Read32(header + 12, &virtualAddress);
            Read32(header + 16, &rawSize);
            Read32(header + 20, &rawOffset);
            if (rawSize != 0 && uint64_t{rawOffset} + rawSize > m_size) return false;
            const uint32_t extent = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
            if (uint64_t{virtualAddress} + extent > 0xFFFFFFFFull) return false;
            m_sections.push_back({virtualAddress, extent, rawOffset});
        }
        return true;
    }

    // The file offset of [rva, rva + size), which must lie in the file part of one section.
    bool MapRva(uint32_t rva, uint32_t size, uint64_t* offset, uint64_t* available) const {
        for (const Section& section : m_sections) {
            if (rva < section.virtualAddress || rva - section.virtualAddress > section.extent) continue;
            const uint32_t into = rva - section.virtualAddress;
            if (size > section.extent - into) continue;
            *offset = uint64_t{section.rawOffset} + into;
            *available = section.extent - into;
            return true;
        }
        return false;
    }

    // A directory table of the tree: its entries, each once.
    struct RawEntry {
        ResourceKey key;
        uint32_t target;
    };
    bool ReadDirectory(uint32_t offset, int level, std::vector<RawEntry>* entries) {
        if (!m_seenDirectories.insert(offset).second) return false;  // reached twice: a loop or a shared table
        if (uint64_t{offset} + kDirectoryTableSize > m_treeSize) return false;
        uint16_t named = 0, ids = 0;
        Read16(m_treeStart + offset + 12, &named);
        Read16(m_treeStart + offset + 14, &ids);
        const uint64_t count = uint64_t{named} + ids;
        if (uint64_t{offset} + kDirectoryTableSize + count * kDirectoryEntrySize > m_treeSize) return false;
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t at = m_treeStart + offset + kDirectoryTableSize + i * kDirectoryEntrySize;
            uint32_t nameField = 0, target = 0;
            Read32(at, &nameField);
            Read32(at + 4, &target);
            RawEntry entry;
            if (nameField & kHighBit) {
                if (!ReadName(nameField & ~kHighBit, &entry.key)) return false;
            } else {
                entry.key = ResourceKey::Id(nameField);
            }
            // Types and names lead to directories, languages to data entries.
            const bool toDirectory = (target & kHighBit) != 0;
            if (toDirectory != (level < kLanguageLevel)) return false;
            entry.target = target & ~kHighBit;
            entries->push_back(std::move(entry));
        }
        return true;
    }

    bool ReadName(uint32_t offset, ResourceKey* key) const {
        uint16_t length = 0;
        if (uint64_t{offset} + 2 > m_treeSize) return false;
        Read16(m_treeStart + offset, &length);
        if (uint64_t{offset} + 2 + uint64_t{length} * 2 > m_treeSize) return false;
        std::u16string name(length, u'\0');
        std::memcpy(name.data(), m_bytes + m_treeStart + offset + 2, uint64_t{length} * 2);
        *key = ResourceKey::Name(name);
        return true;
    }

    bool ReadDataEntry(uint32_t offset, ResourceEntry* entry) const {
        if (uint64_t{offset} + kDataEntrySize > m_treeSize) return false;
        uint32_t rva = 0, size = 0;
        Read32(m_treeStart + offset, &rva);
        Read32(m_treeStart + offset + 4, &size);
        uint64_t dataOffset = 0, available = 0;
        if (!MapRva(rva, size, &dataOffset, &available)) return false;
        // Callers read resources as arrays of WORDs and DWORDs.
        if (dataOffset % 4 != 0) return false;
        entry->entryOffset = static_cast<uint32_t>(m_treeStart + offset);
        entry->dataOffset = static_cast<uint32_t>(dataOffset);
        entry->size = size;
        return true;
    }

    bool ReadTypes() {
        std::vector<RawEntry> types;
        if (!ReadDirectory(0, 0, &types)) return false;
        for (RawEntry& type : types) {
            PeImage::TypeNode typeNode{std::move(type.key), {}};
            std::vector<RawEntry> names;
            if (!ReadDirectory(type.target, 1, &names)) return false;
            for (RawEntry& name : names) {
                PeImage::NameNode nameNode{std::move(name.key), {}};
                std::vector<RawEntry> languages;
                if (!ReadDirectory(name.target, kLanguageLevel, &languages)) return false;
                for (RawEntry& language : languages) {
                    ResourceEntry entry;
                    entry.language = std::move(language.key);
                    if (!ReadDataEntry(language.target, &entry)) return false;
                    nameNode.languages.push_back(std::move(entry));
                }
                typeNode.names.push_back(std::move(nameNode));
            }
            m_image.m_types.push_back(std::move(typeNode));
        }
        return true;
    }

    PeImage& m_image;
    const uint8_t* m_bytes;
    uint64_t m_size;
    std::vector<Section> m_sections;
    uint64_t m_treeStart = 0;
    uint64_t m_treeSize = 0;
    std::set<uint32_t> m_seenDirectories;
};

DWORD PeImage::Parse(std::vector<uint8_t> bytes, std::unique_ptr<PeImage>* image) {
    std::unique_ptr<PeImage> parsed(new PeImage(std::move(bytes)));
    ImageParser parser(*parsed);
    if (!parser.Run()) return ERROR_BAD_EXE_FORMAT;
    *image = std::move(parsed);
    return ERROR_SUCCESS;
}

DWORD PeImage::FindLanguages(const ResourceKey& type, const ResourceKey& name, const std::vector<ResourceEntry>** languages) const {
    if (!m_hasResources) return ERROR_RESOURCE_DATA_NOT_FOUND;
    for (const TypeNode& typeNode : m_types) {
        if (!(typeNode.type == type)) continue;
        for (const NameNode& nameNode : typeNode.names) {
            if (!(nameNode.name == name)) continue;
            *languages = &nameNode.languages;
            return ERROR_SUCCESS;
        }
        return ERROR_RESOURCE_NAME_NOT_FOUND;
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

const ResourceEntry* PeImage::EntryAt(uint64_t entryOffset) const {
    if (entryOffset > 0xFFFFFFFFull) return nullptr;
    auto it = m_entriesByOffset.find(static_cast<uint32_t>(entryOffset));
    return it == m_entriesByOffset.end() ? nullptr : it->second;
}

}  // namespace palvex::pe
