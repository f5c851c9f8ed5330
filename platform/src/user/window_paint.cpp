// Painting windows: BeginPaint and EndPaint, invalidation, and images loaded from files. What a
// window's device context draws is drawn by the raster calls of GDI (gdi/raster.h).
#include <cstring>
#include <utility>
#include <fstream>
#include <iterator>

#include <palvex/paths.h>
#include <win/commctrl.h>
#include <win/winuser.h>

#include "gdi/gdi_objects.h"
#include "user/window_canvas.h"
#include "user/window_store.h"

using palvex::gdi::DeviceContexts;
using palvex::gdi::GdiObject;
using palvex::gdi::Objects;

namespace {

bool ReadHostFile(LPCWSTR path, std::vector<uint8_t>* bytes) {
    if (!path) return false;
    std::ifstream in(palvex::HostPath(path), std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The icon image of an .ico file's directory entry index.
HICON IconFromFile(const std::vector<uint8_t>& bytes, UINT index, int cx, int cy) {
    if (bytes.size() < 6) return nullptr;
    WORD reserved = 0, type = 0, count = 0;
    std::memcpy(&reserved, bytes.data(), 2);
    std::memcpy(&type, bytes.data() + 2, 2);
    std::memcpy(&count, bytes.data() + 4, 2);
    if (reserved != 0 || type != 1 || index >= count || bytes.size() < 6 + size_t{count} * 16) return nullptr;
    const uint8_t* entry = bytes.data() + 6 + size_t{index} * 16;
    DWORD size = 0, offset = 0;
    std::memcpy(&size, entry + 8, 4);
    std::memcpy(&offset, entry + 12, 4);
    if (offset > bytes.size() || size > bytes.size() - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<uint8_t*>(bytes.data() + offset), size, TRUE, 0x00030000, cx, cy, 0);
}

}  // namespace

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!lpPaint || !IsWindow(hWnd)) {
        SetLastError(lpPaint ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::memset(lpPaint, 0, sizeof *lpPaint);
    HDC dc = GetDC(hWnd);  // draws into the window's picture while the window is drawn
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0)) ?: GetStockObject(DEFAULT_GUI_FONT));
    lpPaint->hdc = dc;
    GetClientRect(hWnd, &lpPaint->rcPaint);
    {
        auto& table = palvex::win::WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        if (auto* window = table.Find(hWnd)) window->invalid = false;
    }
    return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint) return FALSE;
    ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    auto* window = table.Find(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    window->invalid = true;  // the next picture paints it again
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) { return IsWindow(hWnd); }

BOOL DrawIcon(HDC hDC, int, int, HICON hIcon) {
    // Icons are shown only by minimised windows, which pictures do not draw.
    return DeviceContexts().Find(hDC) && hIcon ? TRUE : FALSE;
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!(fuLoad & LR_LOADFROMFILE)) {
        if (type == IMAGE_BITMAP) return LoadBitmapW(hInst, name);
        if (type == IMAGE_ICON) return LoadIconW(hInst, name);
        if (type == IMAGE_CURSOR) return LoadCursorW(hInst, name);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!ReadHostFile(name, &bytes)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    HANDLE image = nullptr;
    if (type == IMAGE_BITMAP) {
        // A .bmp file is a 14-byte file header ("BM", the file size, two reserved words and the
        // offset of the pixels from the file's start) and a device-independent bitmap.
        if (bytes.size() > 14 && bytes[0] == 'B' && bytes[1] == 'M') {
            const uint32_t pixelsAt = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | uint32_t{bytes[13]} << 24;
            // An offset inside the file header says nothing: the pixels follow the colours.
            image = palvex::gdi::CreateBitmapFromPackedDib(bytes.data() + 14, bytes.size() - 14,
                                                           pixelsAt > 14 ? pixelsAt - 14 : 0);
        }
    } else if (type == IMAGE_ICON) {
        image = IconFromFile(bytes, 0, cx, cy);
    }
    if (!image) SetLastError(ERROR_INVALID_DATA);
    return image;
}

HICON ExtractIconW(HINSTANCE, LPCWSTR pszExeFileName, UINT nIconIndex) {
    std::vector<uint8_t> bytes;
    if (!ReadHostFile(pszExeFileName, &bytes)) return nullptr;
    return IconFromFile(bytes, nIconIndex, 0, 0);
}

