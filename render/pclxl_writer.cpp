// The PCL XL writer primitives: each value's bytes, least significant first, in one
// DrvWriteSpoolBuf call.
#include "pclxl_writer.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "oem_pdev.h"

namespace {

struct AttrRange {
    WORD first;
    WORD last;
};
// The attribute identifiers the protocol defines.
constexpr AttrRange kDefinedAttrs[] = {
    {0x01, 0x1C}, {0x21, 0x2D}, {0x2F, 0x36}, {0x41, 0x54}, {0x61, 0x69}, {0x6B, 0x73}, {0x81, 0x82},
    {0x86, 0x86}, {0x88, 0x8C}, {0x8F, 0x8F}, {0x91, 0xAD}, {0xAF, 0xB1},
};

constexpr size_t kMaxXLCount = 0xFFFF;

// Little-endian bytes gathered for one call.
class XLBytes {
public:
    void Byte(BYTE value) { m_bytes.push_back(value); }
    void U16(WORD value) {
        Byte(static_cast<BYTE>(value));
        Byte(static_cast<BYTE>(value >> 8));
    }
    void S16(SHORT value) { U16(static_cast<WORD>(value)); }
    void U32(DWORD value) {
        U16(static_cast<WORD>(value));
        U16(static_cast<WORD>(value >> 16));
    }
    void Reserve(size_t size) { m_bytes.reserve(size); }
    HRESULT Send(OemPdev* pdev) const {
        return WriteSpool(pdev, m_bytes.data(), static_cast<DWORD>(m_bytes.size()));
    }

private:
    std::vector<BYTE> m_bytes;
};

// A point: its tag, then x and y, two bytes each.
HRESULT WriteXY(OemPdev* pdev, BYTE tag, WORD x, WORD y) {
    XLBytes out;
    out.Byte(tag);
    out.U16(x);
    out.U16(y);
    return out.Send(pdev);
}

bool ArrayFits(const void* source, size_t count) {
    return count <= kMaxXLCount && (source || count == 0);
}

}  // namespace

bool IsDefinedXLAttr(WORD id) {
    for (const AttrRange& range : kDefinedAttrs)
        if (id >= range.first && id <= range.last) return true;
    return false;
}

HRESULT WriteSpool(OemPdev* pdev, const void* buffer, DWORD size) {
    if (!buffer) return E_FAIL;
    if (size == 0) return S_OK;
    if (!pdev || !pdev->m_helper) return E_FAIL;
    DWORD written = 0;
    const HRESULT result =
        pdev->m_helper->DrvWriteSpoolBuf(pdev->m_pdevobj, const_cast<void*>(buffer), size, &written);
    if (FAILED(result)) return result;
    return written == size ? result : E_FAIL;
}

HRESULT WriteXLByte(OemPdev* pdev, BYTE value) {
    return WriteSpool(pdev, &value, 1);
}

HRESULT WriteXLBytes(OemPdev* pdev, std::initializer_list<BYTE> values) {
    return values.size() ? WriteSpool(pdev, values.begin(), static_cast<DWORD>(values.size())) : S_OK;
}

HRESULT WriteXLAttr(OemPdev* pdev, WORD id) {
    if (!IsDefinedXLAttr(id)) return S_OK;
    return WriteXLBytes(pdev, {xl::kAttrUByte, static_cast<BYTE>(id)});
}

HRESULT WriteXLUByteArray(OemPdev* pdev, const BYTE* bytes, size_t count) {
    if (!ArrayFits(bytes, count)) return E_INVALIDARG;
    XLBytes out;
    out.Reserve(4 + count);
    out.Byte(xl::kUByteArray);
    out.Byte(xl::kUInt16);
    out.U16(static_cast<WORD>(count));
    for (size_t i = 0; i < count; ++i) out.Byte(bytes[i]);
    return out.Send(pdev);
}

HRESULT WriteXLUInt16(OemPdev* pdev, WORD value) {
    XLBytes out;
    out.Byte(xl::kUInt16);
    out.U16(value);
    return out.Send(pdev);
}

HRESULT WriteXLValue32(OemPdev* pdev, DWORD value) {
    XLBytes out;
    out.U32(value);
    return out.Send(pdev);
}

HRESULT WriteXLReal32(OemPdev* pdev, float value) {
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    XLBytes out;
    out.U32(std::bit_cast<std::uint32_t>(value));
    return out.Send(pdev);
}

HRESULT WriteXLSInt16Box(OemPdev* pdev, SHORT left, SHORT top, SHORT right, SHORT bottom) {
    XLBytes out;
    out.Byte(xl::kSInt16Box);
    out.S16(left);
    out.S16(top);
    out.S16(right);
    out.S16(bottom);
    return out.Send(pdev);
}

HRESULT WriteXLSInt16XY(OemPdev* pdev, SHORT x, SHORT y) {
    return WriteXY(pdev, xl::kSInt16XY, static_cast<WORD>(x), static_cast<WORD>(y));
}

HRESULT WriteXLUInt16XY(OemPdev* pdev, WORD x, WORD y) {
    return WriteXY(pdev, xl::kUInt16XY, x, y);
}

HRESULT WriteXLSInt16Array(OemPdev* pdev, const SHORT* values, size_t count) {
    if (!ArrayFits(values, count)) return E_INVALIDARG;
    XLBytes out;
    out.Reserve(4 + 2 * count);
    out.Byte(xl::kSInt16Array);
    out.Byte(xl::kUInt16);
    out.U16(static_cast<WORD>(count));
    for (size_t i = 0; i < count; ++i) out.S16(values[i]);
    return out.Send(pdev);
}
