// Handlers that fit the universal driver's standard items (duplex, print quality, colour, the
// TrueType option, pages per sheet) to the kit's own pages. Several keep a hidden kit item in
// step with their value, which the pages' controls and the settings read:
//   32500  colour, the complement of the colour item
//   32501  pages per sheet
//   32504  duplex binding edge (0 long edge, else short edge), read by the duplex handler
// Each is made by the driver's factory with the sheet heap, the factory and its OPTITEM.
#pragma once

#include "items/optitem_handler.h"

inline constexpr DWORD kColorMirrorItem = 32500;
inline constexpr DWORD kPagesPerSheetMirrorItem = 32501;
inline constexpr DWORD kBindingEdgeItem = 32504;

// The duplex check box of the layout page.
inline constexpr int kDuplexCheckControl = 2053;

// Duplex (key 7): the pages show it as off or on; on means long- or short-edge binding as item
// 32504 says.
class QORVAOptItemHandlerDUPLEXDlg : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerDUPLEXDlg(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    LONG GetOptionCount() override;  // 2: off and on
    // The selection as a link sees it: the duplex check box sees 1 for either binding.
    using QORVAOptItemHandler::GetSel;
    LONG_PTR GetSel(QORVAOptItemDlgLink* link);
    // Any selection but 0 becomes the option of the binding edge; answers the previous selection.
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
};

// Print quality (key 5): the model's texts; the pages keep its controls disabled.
class QORVAOptItemHandlerPRINTQUALITY : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerPRINTQUALITY(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
};

// The TrueType font option (key 8): the model's texts.
class QORVAOptItemHandlerTRUETYPEFONT : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerTRUETYPEFONT(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
};

// Colour (key 6): the page's control lists the two options the other way round, and item 32500
// always holds the complement of the item's selection.
class QORVAOptItemHandlerCOLORDlg : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerCOLORDlg(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    using QORVAOptItemHandler::GetSel;
    LONG_PTR GetSel(QORVAOptItemDlgLink* link);  // a link sees 1 less the selection
    // From a control (a link given) the selection is the control's, reversed; answers the
    // previous selection as the caller sees it.
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
};

// Pages per sheet (key 16, in every UI type): its option texts are fixed numbers, and item 32501
// follows its value. On the kit's pages the last option is not reached by stepping unless the
// description's UIPDRV is 2.
class QORVAOptItemHandlerNUP : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerNUP(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    LPCWSTR LoadResString(DWORD id) override;
    LONG_PTR StepSel(LONG delta, QORVAOptItemDlgLink* link) override;
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    void QLoad(LPCWSTR text, DWORD* loadedOk) override;

private:
    // Item 32501 takes the item's value.
    void MirrorValue(QORVAOptItemDlgLink* link);
};
