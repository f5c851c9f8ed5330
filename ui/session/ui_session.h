// The UI session: what the owner-drawn controls of the kit pages need while one property sheet is
// open — the creator's configuration record of resource ids, the theme's parent-background call,
// the resource object, the page-preview object with its state blocks, the pointer-cursor state and
// the painter objects the painting operations run on. The driver's factory makes one at its first
// dialog and destroys it with itself.
#pragma once

#include <string>

#include <win/libloaderapi.h>
#include <win/uxtheme.h>
#include <win/windows.h>
#include <win/wingdi_raster.h>

#include "coresources.h"
#include "session/preview_model.h"

// The configuration record: 51 32-bit words of resource ids given by the session's creator (the
// driver's factory fills it); unnamed words are 0. The factory's header declares the same count
// for its record; a file that includes both takes it from here.
inline constexpr DWORD kSessionConfigWords = 51;
enum SessionConfigWord : int {
    kConfigMode = 0,               // 1: the alternate pointer mode of the cursor state
    kConfigLogo = 1,               // logo bitmap and its mask (when the ini names no logo file)
    kConfigLogoMask = 2,
    kConfigAboutLogo = 3,          // about-box logo bitmap and mask
    kConfigAboutLogoMask = 4,
    kConfigCertLogo = 5,           // certification logo bitmap (0: the model has none)
    kConfigBubble1 = 6,            // help-bubble pictures (normal, pressed) of the first kind
    kConfigBubble1Pressed = 7,
    kConfigBubble2 = 8,            // ... and of the second kind
    kConfigBubble2Pressed = 9,
    kConfigPictogramRight1 = 38,   // preview pictograms: right placement, kind 1 (portrait)
    kConfigPictogramRight2 = 39,   // right placement, kind 2 (landscape)
    kConfigPictogramLeft2 = 40,    // left placement, kind 2
    kConfigPictogramLeftMask = 41, // the mask of the left pictograms
    kConfigPictogramLeft1 = 42,    // left placement, kind 1
    kConfigPreviewCursor = 46,     // the preview's pointer cursor
    kConfigTimesText = 47,         // the string between width and height (" x ")
    kConfigInchName = 48,          // the unit name of inches
    kConfigMillimetreName = 49,    // the unit name of millimetres
};

class QORVAUISessionCore {
public:
    QORVAUISessionCore(const DWORD config[kSessionConfigWords], IDrvResources* resources);
    ~QORVAUISessionCore();
    QORVAUISessionCore(const QORVAUISessionCore&) = delete;
    QORVAUISessionCore& operator=(const QORVAUISessionCore&) = delete;

    DWORD m_config[kSessionConfigWords];
    DRAWTHEMEPARENTBACKGROUND m_drawParentBackground = nullptr;  // none on version 5.0 or without a theme
    IDrvResources* m_resources = nullptr;                       // the page's; not owned
    HMODULE m_themeModule = nullptr;                            // UXTHEME.DLL, freed with the core
};

// The object a painting operation runs on: it holds only the core.
class QORVAUISessionPainter {
public:
    explicit QORVAUISessionPainter(QORVAUISessionCore* core) : m_core(core) {}
    QORVAUISessionCore* m_core;
};

// The pointer-cursor state (inside the session).
struct QORVAUISessionCursorState {
    DWORD m_mode;                // from config word 0
    HCURSOR m_custom;            // config word 46, or none
    HCURSOR m_arrow;             // IDC_ARROW
    HDC m_cachedDC;              // a cached memory context and the bitmap it replaced
    HGDIOBJ m_replacedBitmap;
    HBITMAP m_cachedBitmap;
    DWORD m_counters[4];
};

class QORVAUISessionCursor {
public:
    QORVAUISessionCursor(QORVAUISessionCursorState* state, QORVAUISessionCore* core);
    // Puts the replaced bitmap back into the cached context and deletes the cached bitmap and context.
    ~QORVAUISessionCursor();
    QORVAUISessionCursorState* m_state;
};

namespace paint {
class QORVAOptItemDlgLinkPagePreview;
}

class QORVAUISession {
public:
    // A new session on the heap, or null when any part cannot be made (what was made is
    // released with Destroy).
    static QORVAUISession* Create(HANDLE heap, IDrvResources* resources, const DWORD config[kSessionConfigWords]);
    // Releases the parts in their order: painters 3, 8, 7, 6, 5, the cursor part, the preview,
    // painters 4, 2, 1, the core, then the session. Missing parts are skipped.
    static void Destroy(QORVAUISession* session);

    // The resource string (at most 256 characters); empty when it cannot be loaded.
    std::u16string LoadString(DWORD id) const;

    // The transparent painters: the bitmap at (x, y) of the window's client area, its mask's
    // white (or, without a mask, the area of its top-left pixel's colour) letting the window show.
    static void DrawFileBitmapTransparent(QORVAUISessionCore* core, HWND window, int x, int y, LPCWSTR file, LPCWSTR mask);
    // The file bitmap at x 0, centred vertically in the window's client area.
    static void DrawFileLogo(QORVAUISessionCore* core, HWND window, LPCWSTR file, LPCWSTR mask);
    static void DrawResourceBitmapTransparent(QORVAUISessionCore* core, HWND window, int x, int y, DWORD id, DWORD maskId);

    // Painter 1 to 8 (null when out of range): 1 logo, 2 about logo, 3 certification logo,
    // 4 help bubble, 5 colour row; 6 to 8 are spare.
    QORVAUISessionPainter* Painter(int number) const;
    QORVAUISessionCore* Core() const { return m_core; }
    paint::QORVAOptItemDlgLinkPagePreview* Preview() const { return m_preview; }

    HANDLE m_heap = nullptr;
    QORVAUISessionCore* m_core = nullptr;
    QORVAUISessionPainter* m_painters1[4] = {};
    QORVAUISessionCursor* m_cursorPart = nullptr;
    paint::QORVAOptItemDlgLinkPagePreview* m_preview = nullptr;
    QORVAUISessionPainter* m_painters5[4] = {};
    // The state blocks of the preview and the cursor.
    QORVAPreviewLayout m_layout;
    QORVAPreviewSettings m_settings;
    QORVAPreviewWatermark m_watermark;
    DWORD m_previewWords[4];
    QORVAUISessionCursorState m_cursorState;
};

// The transparent painter on loaded bitmaps (the mask may be null).
void PaintBitmapTransparent(HWND window, int x, int y, HBITMAP image, HBITMAP mask);
// A bitmap's size; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);
