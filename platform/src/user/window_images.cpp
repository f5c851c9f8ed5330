// Icons, cursors and bitmaps made from resource bytes. An icon or cursor handle owns a copy of
// the image it was made from; nothing is drawn. The system's arrow and hand cursors and its
// warning icon are shared by the whole process.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <palvex/user_objects.h>
#include <win/winuser.h>

#include "gdi/gdi_objects.h"
#include "kernel/handle_table.h"

namespace {

constexpr int kSystemIconSize = 32;

struct IconObject {
    palvex::IconDescription description;
    std::vector<uint8_t> image;
};

palvex::HandleTable<IconObject>& Icons() {
    static auto* table = new palvex::HandleTable<IconObject>;  // outlives every static destructor
    return *table;
}

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Size and depth of an icon image: a PNG, or a BITMAPINFOHEADER whose height counts the colour
// bits and the mask, followed by the colour table, the colour bits and the mask bits.
bool ReadIconImage(const uint8_t* bytes, size_t size, palvex::IconDescription* description) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 24 && std::memcmp(bytes, kPng, 8) == 0) {
        if (std::memcmp(bytes + 12, "IHDR", 4) != 0) return false;
        const uint32_t width = BigEndian32(bytes + 16);
        const uint32_t height = BigEndian32(bytes + 20);
        if (width == 0 || height == 0 || width > 4096 || height > 4096) return false;
        description->png = true;
        description->imageWidth = static_cast<int>(width);
        description->imageHeight = static_cast<int>(height);
        return true;
    }
    BITMAPINFOHEADER header{};
    if (size < sizeof(header)) return false;
    std::memcpy(&header, bytes, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size || header.biPlanes != 1) return false;
    if (header.biWidth <= 0 || header.biWidth > 4096 || header.biHeight <= 0 || header.biHeight > 8192 || header.biHeight % 2)
        return false;
    const WORD bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const uint64_t width = static_cast<uint64_t>(header.biWidth);
    const uint64_t height = static_cast<uint64_t>(header.biHeight) / 2;
    uint64_t colours = header.biClrUsed;
    if (colours == 0 && bits <= 8) colours = uint64_t{1} << bits;
    const uint64_t colourStride = (width * bits + 31) / 32 * 4;
    const uint64_t maskStride = (width + 31) / 32 * 4;
    if (uint64_t{header.biSize} + colours * 4 + (colourStride + maskStride) * height > size) return false;
    description->imageWidth = static_cast<int>(width);
    description->imageHeight = static_cast<int>(height);
    description->bitCount = bits;
    return true;
}

// The group resource of an icon or cursor and the image of the system size from the same module.
HICON LoadGroupImage(HINSTANCE instance, LPCWSTR name, bool icon) {
    HRSRC group = FindResourceW(instance, name, icon ? RT_GROUP_ICON : RT_GROUP_CURSOR);
    if (!group) return nullptr;
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(instance, group)));
    const DWORD directorySize = SizeofResource(instance, group);
    if (!directory || directorySize < 6) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    WORD count = 0;
    std::memcpy(&count, directory + 4, 2);
    if (directorySize < 6 + size_t{count} * 14) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const int id = LookupIconIdFromDirectoryEx(directory, icon, kSystemIconSize, kSystemIconSize, LR_DEFAULTCOLOR);
    if (id == 0) return nullptr;
    HRSRC image = FindResourceW(instance, MAKEINTRESOURCEW(id), icon ? RT_ICON : RT_CURSOR);
    if (!image) return nullptr;
    auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(instance, image)));
    return CreateIconFromResourceEx(bytes, SizeofResource(instance, image), icon, 0x00030000, kSystemIconSize,
                                    kSystemIconSize, LR_DEFAULTCOLOR);
}

// The system's own cursors (LoadCursorW without a module): the arrow and the hand, one shared
// object each, made on first use and kept for the process (DestroyCursor leaves them).
constexpr ULONG_PTR kArrowCursor = 32512;
constexpr ULONG_PTR kHandCursor = 32649;

std::mutex& SystemImageLock() {
    static std::mutex lock;
    return lock;
}
// The system's shared cursors and icons by id; DestroyCursor and DestroyIcon leave them.
std::map<ULONG_PTR, HCURSOR>& SharedSystemImages() {
    static auto* cursors = new std::map<ULONG_PTR, HCURSOR>;
    return *cursors;
}

HCURSOR SystemCursor(LPCWSTR name) {
    const auto id = reinterpret_cast<ULONG_PTR>(name);
    if ((reinterpret_cast<ULONG_PTR>(name) >> 16) != 0 || (id != kArrowCursor && id != kHandCursor)) return nullptr;
    std::lock_guard<std::mutex> guard(SystemImageLock());
    HCURSOR& cursor = SharedSystemImages()[id];
    if (!cursor) {
        auto object = std::make_shared<IconObject>();
        object->description.isIcon = false;
        object->description.width = object->description.height = kSystemIconSize;
        object->description.hotspot = id == kHandCursor ? POINT{6, 0} : POINT{0, 0};
        cursor = Icons().Insert(std::move(object));
    }
    return cursor;
}

// The system's warning icon (LoadIconW without a module, IDI_WARNING): a yellow triangle with a
// dark edge and an exclamation mark, as a 32-bit icon image of the system's size. Made on first
// use and kept for the process.
constexpr ULONG_PTR kWarningIcon = 32515;

std::vector<uint8_t> WarningIconImage() {
    constexpr int n = kSystemIconSize;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = n;
    header.biHeight = 2 * n;  // the colour bits and the mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    const size_t maskStride = (n + 31) / 32 * 4;
    std::vector<uint8_t> image(sizeof header + size_t{n} * n * 4 + maskStride * n, 0);
    std::memcpy(image.data(), &header, sizeof header);
    for (int y = 0; y < n; ++y) {
        // The triangle's half width at this row (apex at the top, base two rows above the bottom).
        const double half = (y - 2) * 15.0 / 27.0 + 0.5;
        for (int x = 0; x < n; ++x) {
            const double from = std::abs(x + 0.5 - n / 2.0);
            uint8_t* pixel = image.data() + sizeof header + (size_t(n - 1 - y) * n + x) * 4;  // rows bottom-up
            if (y < 2 || y > 29 || from > half) {
                pixel[3] = 0;
                image[sizeof header + size_t{n} * n * 4 + size_t(n - 1 - y) * maskStride + x / 8] |= 0x80 >> (x % 8);
                continue;
            }
            const bool edge = from > half - 2 || y > 27;
            const bool mark = x >= 14 && x < 18 && ((y >= 10 && y < 21) || (y >= 23 && y < 26));
            const uint32_t bgr = edge ? 0x206080 : mark ? 0x000000 : 0x20D0FF;  // B, G, R
            pixel[0] = static_cast<uint8_t>(bgr >> 16);
            pixel[1] = static_cast<uint8_t>(bgr >> 8);
            pixel[2] = static_cast<uint8_t>(bgr);
            pixel[3] = 255;
        }
    }
    return image;
}

HICON SystemIcon(LPCWSTR name) {
    if (reinterpret_cast<ULONG_PTR>(name) != kWarningIcon) return nullptr;
    std::lock_guard<std::mutex> guard(SystemImageLock());
    HICON& warning = SharedSystemImages()[kWarningIcon];
    if (!warning) {
        std::vector<uint8_t> image = WarningIconImage();
        warning = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                           kSystemIconSize, kSystemIconSize, LR_DEFAULTCOLOR);
    }
    return warning;
}

bool IsSharedSystemImage(HCURSOR cursor) {
    std::lock_guard<std::mutex> guard(SystemImageLock());
    for (const auto& [id, made] : SharedSystemImages())
        if (made == cursor) return true;
    return false;
}

}  // namespace

namespace palvex::win {

bool IconBytes(HICON icon, std::vector<uint8_t>* bytes, IconDescription* description) {
    auto object = Icons().Find(icon);
    if (!object) return false;
    *bytes = object->image;
    *description = object->description;
    return true;
}

}  // namespace palvex::win

namespace palvex {

bool DescribeIcon(HICON icon, IconDescription* description) {
    auto object = Icons().Find(icon);
    if (!object || !description) return false;
    *description = object->description;
    return true;
}

}  // namespace palvex

HICON CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired, int cyDesired,
                               UINT Flags) {
    if (!presbits || (dwVer != 0x00030000 && dwVer != 0x00020000) || cxDesired < 0 || cyDesired < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<IconObject>();
    palvex::IconDescription& description = object->description;
    description.isIcon = fIcon != FALSE;
    size_t offset = 0;
    if (!fIcon) {
        if (dwResSize < 4) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        WORD x = 0, y = 0;
        std::memcpy(&x, presbits, 2);
        std::memcpy(&y, presbits + 2, 2);
        description.hotspot = {x, y};
        offset = 4;
    }
    if (!ReadIconImage(presbits + offset, dwResSize - offset, &description)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const bool defaultSize = (Flags & LR_DEFAULTSIZE) != 0;
    description.width = cxDesired ? cxDesired : defaultSize ? kSystemIconSize : description.imageWidth;
    description.height = cyDesired ? cyDesired : defaultSize ? kSystemIconSize : description.imageHeight;
    object->image.assign(presbits, presbits + dwResSize);
    return Icons().Insert(std::move(object));
}

int LookupIconIdFromDirectoryEx(PBYTE presbits, BOOL fIcon, int cxDesired, int cyDesired, UINT Flags) {
    if (!presbits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WORD reserved = 0, type = 0, count = 0;
    std::memcpy(&reserved, presbits, 2);
    std::memcpy(&type, presbits + 2, 2);
    std::memcpy(&count, presbits + 4, 2);
    if (reserved != 0 || type != (fIcon ? 1 : 2) || count == 0) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
    }
    // Without a size the system's serves, as it does with LR_DEFAULTSIZE.
    (void)Flags;
    if (cxDesired == 0) cxDesired = kSystemIconSize;
    if (cyDesired == 0) cyDesired = kSystemIconSize;
    int best = 0;
    long bestDistance = 0;
    int bestBits = -1;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = presbits + 6 + size_t{i} * 14;
        int width = 0, height = 0;
        WORD bits = 0, id = 0;
        if (fIcon) {
            width = entry[0] ? entry[0] : 256;
            height = entry[1] ? entry[1] : 256;
        } else {
            WORD w = 0, h = 0;
            std::memcpy(&w, entry, 2);
            std::memcpy(&h, entry + 2, 2);
            width = w;
            height = h / 2;  // a cursor entry counts the mask in its height
        }
        std::memcpy(&bits, entry + 6, 2);
        std::memcpy(&id, entry + 12, 2);
        const long distance = std::labs(long{width} - cxDesired) + std::labs(long{height} - cyDesired);
        if (best == 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = id;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return best;
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
    if (!hInstance)
        if (HICON system = SystemIcon(lpIconName)) return system;
    return LoadGroupImage(hInstance, lpIconName, true);
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
    if (!hInstance) return SystemCursor(lpCursorName);
    return LoadGroupImage(hInstance, lpCursorName, false);
}

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
    HRSRC resource = FindResourceW(hInstance, lpBitmapName, RT_BITMAP);
    if (!resource) return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(hInstance, resource)));
    HBITMAP bitmap = palvex::gdi::CreateBitmapFromPackedDib(bytes, SizeofResource(hInstance, resource));
    if (!bitmap) SetLastError(ERROR_INVALID_DATA);
    return bitmap;
}

HICON CopyIcon(HICON hIcon) {
    auto object = Icons().Find(hIcon);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return Icons().Insert(std::make_shared<IconObject>(*object));
}

BOOL DestroyIcon(HICON hIcon) {
    if (IsSharedSystemImage(hIcon)) return TRUE;
    if (!Icons().Remove(hIcon)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL DestroyCursor(HCURSOR hCursor) {
    if (IsSharedSystemImage(hCursor)) return TRUE;
    return DestroyIcon(hCursor);
}
