// The driver factory's tables: which handler class an item key gets, which links the controls of
// an item get when a page opens, and which constraints a sheet gets. Rows are data; the classes
// behind them are reached through maker functions, so a class joins by filling its maker.
// A row whose maker is still empty makes nothing: a handler falls back to the standard class of
// its option type, a link or constraint slot stays empty.
#pragma once

#include <span>

#include <win/compstui.h>
#include <win/windows.h>

class QORVAOptItemDlgLink;
class QORVAOptItemHandler;
class QORVAOptItemHandlerFactory;
class QORVAOptItemNotify;

// --- Handlers ---

// The driver's own handler classes.
enum class DrvHandlerClass : BYTE {
    None,  // the standard class of the item's option type
    FONTSUBST,
    PRINTQUALITY,
    COLORDlg,
    DUPLEXDlg,
    TRUETYPEFONT,
    ECONOMODE,
    Source,
    NUP,
    QSCOMBOBOX,
    PAPERSIZE,
    WMCOMBOBOX,
    SCALEDOCONSIZE,
    QSEDITBOX,
    CMCOMBOBOX,
    CMEDITBOX,
    WMANGLE,
    DEVOPTCOMBOBOX,
    DEVINFOPropSheet,
    IDANDPWD,
    Count
};

struct HandlerKeyRow {
    DWORD m_key;
    DrvHandlerClass m_class;
};

// The help index of the universal driver's TrueType substitution-table item.
inline constexpr WORD kFontSubstHelpIndex = 1026;
// The eco-mode item's key (its help index is 30150).
inline constexpr DWORD kEcoModeKey = 0x800075C6u;

// Rows of the kit's own pages only, and rows of every UI type.
std::span<const HandlerKeyRow> KitPageHandlerRows();
std::span<const HandlerKeyRow> HandlerRows();

// The class an item of that key and help index gets in that UI type (2: the kit's own pages).
DrvHandlerClass ChooseHandlerClass(DWORD key, WORD helpIndex, DWORD uiType);

using HandlerMaker = QORVAOptItemHandler* (*)(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
// The class's maker; null while the class is not part of the plug-in.
HandlerMaker HandlerMakerOf(DrvHandlerClass handlerClass);

// --- Dialog links ---

// The driver's own link classes, made for one named control.
enum class DrvLinkClass : BYTE {
    Radiobutton,
    UDArrowListNUP,
    ButtonGETDEVINFO,
    Logo,
    PagePreview,
    AboutLogo,
    StaticDRVNAME,
    StaticDRVVERSION,
    CertLogo,
    StaticMAINVALUE,
    CheckCOLLATE,
    CheckUSRACTPRN,
    ComboboxMediaSize,
    StaticLAYOUTVALUE,
    ListboxWMLIST,
    EditboxWMKMessage,
    StaticADVANCEDVALUE,
    PushbuttonELEVATE,
    UDArrowNumberMEDIAUNITS,
    UDArrowSpinMEDIAUNITS,
    StaticMEDIAUNITS,
    EditboxCMSName,
    ComboboxCOLOR,
    ListviewDEVOPTINFO,
    ComboboxDEVOPTCOMBOBOX,
    ListviewTRAYINFO,
    ComboboxTRAYINFO_SIZE,
    ComboboxTRAYINFO_TYPE,
    EditboxIDANDPWD,
    PushbuttonIDANDPWD,
    StaticBINDMGNSFMODEEXP,
    UDArrowNumberBINDMGNAMOUNT,
    UDArrowSpinBINDMGNAMOUNT,
    StaticBINDMGNAMOUNT,
    Bubble,
    Count
};

enum class LinkOp : BYTE {
    Row,          // m_control: the item key whose steps follow
    Needs,        // the rest of the row needs control m_control
    When,         // the next m_value steps need control m_control
    ByClass,      // the link of control m_control by its window class, style flags m_value
    Named,        // a link of class m_class for control m_control (when it exists)
    Bubble,       // a help bubble of kind m_value for control m_control
    LimitText,    // edit control m_control takes at most m_value characters
    SetState,     // the handler's state bits m_value are set
    ExtState,     // the handler's extra state becomes m_value
    FullRow,      // list view m_control selects whole rows
    AddressText,  // the printer address goes into the address edit (see CreateDlgLink)
};

// Link style flags of a step.
inline constexpr DWORD kLinkNeedsTwo = 0x40000000u;   // enabled only with two visible options
inline constexpr DWORD kLinkShowState = 0x80000000u;  // a disabled check box keeps showing its state
// Named-link options (in m_value).
inline constexpr DWORD kNamedWithStyle = 0x1;  // the link takes the control's style
inline constexpr DWORD kNamedKeepIme = 0x2;    // the edit keeps its input method while focused
// ByClass options beside the style flags.
inline constexpr DWORD kByClassKeepIme = 0x1;

struct LinkStep {
    LinkOp m_op;
    DWORD m_control;
    DWORD m_value;
    DrvLinkClass m_class;
};

// The steps of a key's row (empty: the key has no row).
std::span<const LinkStep> DlgLinkSteps(DWORD key);
// The whole table: each row's Row step, then its steps.
std::span<const LinkStep> AllDlgLinkSteps();

// Makes a named link: heap, handler, the control, its id, and the style word (or the bubble's kind).
using LinkMaker = QORVAOptItemDlgLink* (*)(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                           DWORD style);
LinkMaker LinkMakerOf(DrvLinkClass linkClass);
// Sets an edit link's input-method switch, so that the input method stays with the control.
void KeepInputMethod(QORVAOptItemDlgLink* link);

// --- Constraints ---

enum class DrvConstraintClass : BYTE {
    MAIN,
    LAYOUT,
    ADVANCED,
    QUICKSETS,
    QUICKSETSNAME,
    CMS,
    CMSNAME,
    WMK,
    DEVINFO,
    Count
};

// The constraints of a sheet, slot by slot from 0.
std::span<const DrvConstraintClass> SheetConstraints(DWORD sheetMode);
using ConstraintMaker = QORVAOptItemNotify* (*)(HANDLE heap, QORVAOptItemHandlerFactory* factory);
ConstraintMaker ConstraintMakerOf(DrvConstraintClass constraintClass);
// The class name, for the traces.
LPCWSTR ConstraintClassName(DrvConstraintClass constraintClass);
