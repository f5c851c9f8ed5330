// The UI session: making and releasing its parts, its strings, and the transparent painters.
#include "session/ui_session.h"

#include <cstring>

#include "items/heap_object.h"
#include "session/page_preview.h"

namespace {

// The colour the made mask's area is filled with before the picture is turned into the mask.
constexpr COLORREF kMaskColour = RGB(128, 128, 0);
// LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE
constexpr UINT kLoadFileBitmap = 0x2050;

HBITMAP LoadFileBitmap(LPCWSTR file) {
    if (!file || !*file) return nullptr;
    return static_cast<HBITMAP>(LoadImageW(nullptr, file, IMAGE_BITMAP, 0, 0, kLoadFileBitmap));
}

HBITMAP LoadResourceBitmap(QORVAUISessionCore* core, DWORD id) {
    HBITMAP bitmap = nullptr;
    if (!core || !core->m_resources || id == 0 || FAILED(core->m_resources->LoadBitmap(id, &bitmap))) return nullptr;
    return bitmap;
}

}  // namespace

QORVAUISessionCore::QORVAUISessionCore(const DWORD config[kSessionConfigWords], IDrvResources* resources)
    : m_resources(resources) {
    std::memcpy(m_config, config, sizeof m_config);
    // Version 5.0 has no visual themes.
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = 5;
    version.dwMinorVersion = 0;
    const ULONGLONG condition =
        VerSetConditionMask(VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL), VER_MINORVERSION, VER_EQUAL);
    if (VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition)) return;
    m_themeModule = LoadLibraryW(u"UXTHEME.DLL");
    if (m_themeModule)
        m_drawParentBackground =
            reinterpret_cast<DRAWTHEMEPARENTBACKGROUND>(reinterpret_cast<void*>(GetProcAddress(m_themeModule, "DrawThemeParentBackground")));
}

QORVAUISessionCore::~QORVAUISessionCore() {
    if (m_themeModule) FreeLibrary(m_themeModule);
}

QORVAUISessionCursor::QORVAUISessionCursor(QORVAUISessionCursorState* state, QORVAUISessionCore* core) : m_state(state) {
    std::memset(state, 0, sizeof *state);
    state->m_mode = core->m_config[kConfigMode];
    if (core->m_resources && core->m_config[kConfigPreviewCursor])
        core->m_resources->LoadCursor(core->m_config[kConfigPreviewCursor], &state->m_custom);
    state->m_arrow = LoadCursorW(nullptr, IDC_ARROW);
}

QORVAUISessionCursor::~QORVAUISessionCursor() {
    if (m_state->m_cachedDC) {
        if (m_state->m_replacedBitmap) SelectObject(m_state->m_cachedDC, m_state->m_replacedBitmap);
        if (m_state->m_cachedBitmap) DeleteObject(m_state->m_cachedBitmap);
        DeleteDC(m_state->m_cachedDC);
    }
    m_state->m_cachedDC = nullptr;
    m_state->m_replacedBitmap = nullptr;
    m_state->m_cachedBitmap = nullptr;
}

QORVAUISession* QORVAUISession::Create(HANDLE heap, IDrvResources* resources, const DWORD config[kSessionConfigWords]) {
    if (!heap || !config) return nullptr;
    auto* session = MakeOnHeap<QORVAUISession>(heap);
    if (!session) return nullptr;
    session->m_heap = heap;
    bool made = (session->m_core = MakeOnHeap<QORVAUISessionCore>(heap, config, resources)) != nullptr;
    for (int i = 0; made && i < 4; ++i)
        made = (session->m_painters1[i] = MakeOnHeap<QORVAUISessionPainter>(heap, session->m_core)) != nullptr;
    if (made) made = (session->m_preview = MakeOnHeap<paint::QORVAOptItemDlgLinkPagePreview>(heap)) != nullptr;
    if (made) session->m_preview->Create(session, session->m_core);
    if (made)
        made = (session->m_cursorPart = MakeOnHeap<QORVAUISessionCursor>(heap, &session->m_cursorState, session->m_core)) !=
               nullptr;
    for (int i = 0; made && i < 4; ++i)
        made = (session->m_painters5[i] = MakeOnHeap<QORVAUISessionPainter>(heap, session->m_core)) != nullptr;
    if (made) return session;
    Destroy(session);
    return nullptr;
}

void QORVAUISession::Destroy(QORVAUISession* session) {
    if (!session) return;
    HANDLE heap = session->m_heap;
    FreeOnHeap(heap, session->m_painters1[2]);
    for (int i = 3; i >= 0; --i) FreeOnHeap(heap, session->m_painters5[i]);
    FreeOnHeap(heap, session->m_cursorPart);
    FreeOnHeap(heap, session->m_preview);
    FreeOnHeap(heap, session->m_painters1[3]);
    FreeOnHeap(heap, session->m_painters1[1]);
    FreeOnHeap(heap, session->m_painters1[0]);
    FreeOnHeap(heap, session->m_core);
    FreeOnHeap(heap, session);
}

std::u16string QORVAUISession::LoadString(DWORD id) const {
    WCHAR buffer[256] = {};
    if (!m_core || !m_core->m_resources || FAILED(m_core->m_resources->LoadString(id, buffer, 256))) return {};
    buffer[255] = u'\0';
    return buffer;
}

QORVAUISessionPainter* QORVAUISession::Painter(int number) const {
    if (number >= 1 && number <= 4) return m_painters1[number - 1];
    if (number >= 5 && number <= 8) return m_painters5[number - 5];
    return nullptr;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP facts{};
    if (!bitmap || GetObjectW(bitmap, sizeof facts, &facts) != sizeof facts) return SIZE{0, 0};
    return SIZE{facts.bmWidth, facts.bmHeight};
}

void PaintBitmapTransparent(HWND window, int x, int y, HBITMAP image, HBITMAP mask) {
    const SIZE size = BitmapSize(image);
    if (size.cx <= 0 || size.cy <= 0) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    const int w = size.cx, h = size.cy;
    HDC imageDC = CreateCompatibleDC(dc);
    HGDIOBJ imageOld = imageDC ? SelectObject(imageDC, image) : nullptr;
    HDC maskDC = CreateCompatibleDC(dc);
    HBITMAP madeMask = nullptr;
    HGDIOBJ maskOld = nullptr;
    bool ready = imageDC && imageOld && maskDC;
    if (ready && mask) {
        ready = (maskOld = SelectObject(maskDC, mask)) != nullptr;
    } else if (ready) {
        // The area of the top-left pixel's colour becomes the transparent part: fill it with the
        // mask colour, then copy the picture onto a monochrome bitmap with that colour as the
        // background, which turns it white and the rest black.
        madeMask = CreateBitmap(w, h, 1, 1, nullptr);
        HBRUSH fill = CreateSolidBrush(kMaskColour);
        ready = madeMask && fill && (maskOld = SelectObject(maskDC, madeMask)) != nullptr;
        if (ready) {
            HGDIOBJ brushOld = SelectObject(imageDC, fill);
            ExtFloodFill(imageDC, 0, 0, GetPixel(imageDC, 0, 0), FLOODFILLSURFACE);
            SelectObject(imageDC, brushOld);
            const COLORREF background = SetBkColor(imageDC, kMaskColour);
            BitBlt(maskDC, 0, 0, w, h, imageDC, 0, 0, SRCCOPY);
            SetBkColor(imageDC, background);
        }
        if (fill) DeleteObject(fill);
    }
    HDC workDC = ready ? CreateCompatibleDC(dc) : nullptr;
    HBITMAP work = workDC ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    HGDIOBJ workOld = work ? SelectObject(workDC, work) : nullptr;
    if (workOld) {
        // Window, image, mask, image: the image's XOR cancels where the mask is white.
        BitBlt(workDC, 0, 0, w, h, dc, x, y, SRCCOPY);
        BitBlt(workDC, 0, 0, w, h, imageDC, 0, 0, SRCINVERT);
        BitBlt(workDC, 0, 0, w, h, maskDC, 0, 0, SRCAND);
        BitBlt(workDC, 0, 0, w, h, imageDC, 0, 0, SRCINVERT);
        BitBlt(dc, x, y, w, h, workDC, 0, 0, SRCCOPY);
        SelectObject(workDC, workOld);
    }
    if (work) DeleteObject(work);
    if (workDC) DeleteDC(workDC);
    if (maskOld) SelectObject(maskDC, maskOld);
    if (madeMask) DeleteObject(madeMask);
    if (maskDC) DeleteDC(maskDC);
    if (imageOld) SelectObject(imageDC, imageOld);
    if (imageDC) DeleteDC(imageDC);
    ReleaseDC(window, dc);
}

void QORVAUISession::DrawFileBitmapTransparent(QORVAUISessionCore*, HWND window, int x, int y, LPCWSTR file, LPCWSTR mask) {
    HBITMAP image = LoadFileBitmap(file);
    HBITMAP maskBitmap = LoadFileBitmap(mask);
    PaintBitmapTransparent(window, x, y, image, maskBitmap);
    if (image) DeleteObject(image);
    if (maskBitmap) DeleteObject(maskBitmap);
}

void QORVAUISession::DrawFileLogo(QORVAUISessionCore* core, HWND window, LPCWSTR file, LPCWSTR mask) {
    HBITMAP image = LoadFileBitmap(file);
    const SIZE size = BitmapSize(image);
    if (image) DeleteObject(image);
    RECT client{};
    GetClientRect(window, &client);
    DrawFileBitmapTransparent(core, window, 0, (client.bottom - client.top - size.cy) / 2, file, mask);
}

void QORVAUISession::DrawResourceBitmapTransparent(QORVAUISessionCore* core, HWND window, int x, int y, DWORD id,
                                                   DWORD maskId) {
    HBITMAP image = LoadResourceBitmap(core, id);
    HBITMAP mask = maskId ? LoadResourceBitmap(core, maskId) : nullptr;
    PaintBitmapTransparent(window, x, y, image, mask);
    if (image) DeleteObject(image);
    if (mask) DeleteObject(mask);
}
