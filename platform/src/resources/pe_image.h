// A PE file held in memory for its resources (internal to the platform library).
//
// Parse checks the whole file before anything is read from it: the DOS and PE headers, the optional
// header's data directories, the section table, and every directory, name and data entry of the
// resource tree against the bytes there are. The tree is then kept as an index, so lookups never
// read the file's offsets again.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <win/wintypes.h>

namespace palvex::pe {

// A resource type, name or language as the tree stores it: an integer id or a name (kept
// upper-cased, as names compare without regard to case).
struct ResourceKey {
    bool isId = true;
    uint32_t id = 0;
    std::u16string name;

    static ResourceKey Id(uint32_t id) { return {true, id, {}}; }
    static ResourceKey Name(std::u16string_view name);
    bool operator==(const ResourceKey& other) const {
        return isId == other.isId && (isId ? id == other.id : name == other.name);
    }
};

// One language of one resource.
struct ResourceEntry {
    ResourceKey language;
    uint32_t entryOffset = 0;  // file offset of its data entry
    uint32_t dataOffset = 0;   // file offset of its bytes
    uint32_t size = 0;
};

class PeImage {
public:
    // ERROR_SUCCESS with the image, or ERROR_BAD_EXE_FORMAT.
    static DWORD Parse(std::vector<uint8_t> bytes, std::unique_ptr<PeImage>* image);

    const uint8_t* Bytes() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

    // The languages of a resource in the tree's order. ERROR_SUCCESS, ERROR_RESOURCE_DATA_NOT_FOUND
    // (no resources at all), ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
    DWORD FindLanguages(const ResourceKey& type, const ResourceKey& name, const std::vector<ResourceEntry>** languages) const;

    // The entry whose data entry lies at this file offset, or null.
    const ResourceEntry* EntryAt(uint64_t entryOffset) const;

    struct NameNode {
        ResourceKey name;
        std::vector<ResourceEntry> languages;
    };
    struct TypeNode {
        ResourceKey type;
        std::vector<NameNode> names;
    };

private:
    explicit PeImage(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::vector<uint8_t> m_bytes;
    bool m_hasResources = false;
    std::vector<TypeNode> m_types;
    std::map<uint32_t, const ResourceEntry*> m_entriesByOffset;

    friend class ImageParser;
};

}  // namespace palvex::pe
