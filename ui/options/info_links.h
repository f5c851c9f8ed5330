// The small links that give the kit pages their pictures and the About box its driver facts: the
// page logo, the About-box logo and the certification logo (owner-drawn buttons painted by the UI
// session), the help bubbles beside many controls (a click explains the item's state in a message
// box), the driver name and version labels, and the device page's button that reopens the
// printer's sheet with administrator rights.
#pragma once

#include "items/dlglink_buttons.h"
#include "items/dlglink_static.h"
#include "items/optitem_dlglink.h"

class QORVAUISession;
class QORVAUISessionPainter;

inline constexpr DWORD kLogoControl = 200;
inline constexpr DWORD kAboutLogoControl = 510;
inline constexpr DWORD kDriverNameLabel = 531;
inline constexpr DWORD kDriverVersionLabel = 550;
inline constexpr DWORD kCertLogoControl = 570;
inline constexpr DWORD kElevateControl = 9353;
// The kind of a help-bubble link.
inline constexpr DWORD kLinkBubble = 101;
// The About-box logo's bitmap, by which it is centred on the page.
inline constexpr DWORD kAboutLogoBitmap = 130;

// The drawing session of the sheet a handler belongs to (null when its factory is not the driver's
// or has none yet), and one of its painters.
QORVAUISession* SessionOf(const QORVAOptItemHandler* handler);
QORVAUISessionPainter* SessionPainter(const QORVAOptItemHandler* handler, int number);

// 1 when the control was laid out right to left (WS_EX_LAYOUTRTL), which is then taken off it so
// that the session paints it unmirrored and the link mirrors the picture itself; else 0.
DWORD TakeMirroredLayout(HWND control);

// Whether a format takes at most count arguments, each of the given conversions ("s" or "diu"),
// with flags, width and precision but no '*', length modifiers or other conversions; "%%" is
// allowed. The labels use their own text as a format, so a text that asks for more or other
// arguments than there are is not used.
bool FormatTakes(LPCWSTR format, const char16_t* conversions, int count);

// The page logo: a click runs the item's push action.
class QORVAOptItemDlgLinkLogo : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId = kLogoControl);
    LRESULT Command(WORD code, DWORD controlId) override;
    LRESULT DrawItem(LPARAM drawItem) override;
};

// The About-box logo, moved so that its bitmap is centred across the page.
class QORVAOptItemDlgLinkAboutLogo : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkAboutLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                 DWORD controlId = kAboutLogoControl);
    LRESULT DrawItem(LPARAM drawItem) override;
};

// The certification logo: the session's certification bitmap, centred.
class QORVAOptItemDlgLinkCertLogo : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkCertLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                DWORD controlId = kCertLogoControl);
    LRESULT DrawItem(LPARAM drawItem) override;
};

// A help bubble: it points to side 1 or 2 (swapped in a right-to-left dialog), shows the
// explanation of the item's highest reason bit and hides itself when there is none to give.
class QORVAOptItemDlgLinkBubble : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkBubble(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD direction);
    // BN_CLICKED: the explanation in an information box (its answer); else 1.
    LRESULT Command(WORD code, DWORD controlId) override;
    LRESULT DrawItem(LPARAM drawItem) override;
    void UpdateControl(QORVAOptItemDlgLink* source) override;

    DWORD Direction() const { return m_direction; }
    DWORD Mirrored() const { return m_mirrored; }
    DWORD TextId() const { return m_textId; }
    DWORD CaptionId() const { return m_captionId; }

private:
    DWORD m_direction = 0;
    DWORD m_mirrored = 0;
    DWORD m_textId = 0;
    DWORD m_captionId = 0;
};

// The driver name label: its text, a format of two strings, gets the driver's name and the UI
// module's file version.
class QORVAOptItemDlgLinkStaticDRVNAME : public QORVAOptItemDlgLinkStatic {
public:
    QORVAOptItemDlgLinkStaticDRVNAME(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                     DWORD controlId = kDriverNameLabel);
};

// The driver version label: its text, a format of four numbers, gets the product version.
class QORVAOptItemDlgLinkStaticDRVVERSION : public QORVAOptItemDlgLinkStatic {
public:
    QORVAOptItemDlgLinkStaticDRVVERSION(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                        DWORD controlId = kDriverVersionLabel);
};

// The elevation button: a shield from version 6.0 on; a click starts the printer's sheet with
// administrator rights and, once it runs, closes this one.
class QORVAOptItemDlgLinkPushbuttonELEVATE : public QORVAOptItemDlgLinkPushbutton {
public:
    QORVAOptItemDlgLinkPushbuttonELEVATE(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                         DWORD controlId = kElevateControl);
    LRESULT Command(WORD code, DWORD controlId) override;
};
