#include "options/device_feature_handlers.h"

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "kittrace.h"
#include "options/sheet_strings.h"

namespace {

// Strings of the model's resource library.
constexpr DWORD kIdsResolution = 1050;
constexpr DWORD kIdsResolution300 = 1060;
constexpr DWORD kIdsResolution600 = 1061;
constexpr DWORD kIdsTrueTypeOption = 30000;
constexpr DWORD kIdsSubstituteDeviceFont = 30002;
constexpr DWORD kIdsDownloadSoftFont = 30003;
constexpr DWORD kIdsColor = 1100;
constexpr DWORD kIdsMonochrome = 1103;

// UIPINFO's UIPDRV value under which every pages-per-sheet option can be stepped to.
constexpr DWORD kDriverAllPagesPerSheet = 2;

bool LinkOnControl(QORVAOptItemDlgLink* link, int controlId) {
    return link && link->Control() && GetDlgCtrlID(link->Control()) == controlId;
}

}  // namespace

// --- Duplex ----------------------------------------------------------------------------------

QORVAOptItemHandlerDUPLEXDlg::QORVAOptItemHandlerDUPLEXDlg(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                           POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {}

LONG QORVAOptItemHandlerDUPLEXDlg::GetOptionCount() {
    return 2;
}

LONG_PTR QORVAOptItemHandlerDUPLEXDlg::GetSel(QORVAOptItemDlgLink* link) {
    const LONG_PTR selection = GetSel();
    if (LinkOnControl(link, kDuplexCheckControl)) return selection != 0 ? 1 : 0;
    return selection;
}

LONG_PTR QORVAOptItemHandlerDUPLEXDlg::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    if (selection != 0) selection = GetItemValue(kBindingEdgeItem) != 0 ? 2 : 1;
    DebugTrace(4, u"%s: sel=[%d]\n", u"QORVAOptItemHandlerDUPLEXDlg::SetCurSel", static_cast<int>(selection));
    // The duplex item's selection is its value, so selecting the value selects that option. The
    // base's selection is called directly: its SetValue would come back here.
    return QORVAOptItemHandler::SetCurSel(selection, link);
}

// --- Print quality and the TrueType option ---------------------------------------------------

QORVAOptItemHandlerPRINTQUALITY::QORVAOptItemHandlerPRINTQUALITY(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                 POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    RenameItem(item, factory, kIdsResolution);
    RenameOption(item, 0, factory, kIdsResolution300);
    RenameOption(item, 1, factory, kIdsResolution600);
}

QORVAOptItemHandlerTRUETYPEFONT::QORVAOptItemHandlerTRUETYPEFONT(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                 POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    RenameItem(item, factory, kIdsTrueTypeOption);
    RenameOption(item, 0, factory, kIdsSubstituteDeviceFont);
    RenameOption(item, 1, factory, kIdsDownloadSoftFont);
}

// --- Colour ----------------------------------------------------------------------------------

QORVAOptItemHandlerCOLORDlg::QORVAOptItemHandlerCOLORDlg(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                         POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    RenameItem(item, factory, kIdsColor);
    RenameOption(item, 0, factory, kIdsMonochrome);
}

LONG_PTR QORVAOptItemHandlerCOLORDlg::GetSel(QORVAOptItemDlgLink* link) {
    const LONG_PTR selection = GetSel();
    return link ? 1 - selection : selection;
}

LONG_PTR QORVAOptItemHandlerCOLORDlg::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    const LONG_PTR previous = GetSel();
    QORVAOptItemHandler* mirror = GetHandler(kColorMirrorItem);
    // The colour item's selection is its value; the base's selection is called directly, as its
    // SetValue would come back here.
    if (link) {
        QORVAOptItemHandler::SetCurSel(1 - selection, link);
        if (mirror) mirror->SetValue(selection, link);
        return 1 - previous;
    }
    QORVAOptItemHandler::SetCurSel(selection, nullptr);
    if (mirror) mirror->SetValue(1 - selection, nullptr);
    return previous;
}

// --- Pages per sheet -------------------------------------------------------------------------

QORVAOptItemHandlerNUP::QORVAOptItemHandlerNUP(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    const LONG count = QORVAOptItemHandler::GetOptionCount();
    SetBounds(0, count - 1);
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    const DWORD driverFlag = extension ? extension->m_driverFlag : 0;
    if (factory && factory->UiType() == kUiTypeSheets && driverFlag != kDriverAllPagesPerSheet && count >= 2)
        SetBounds(0, count - 2);
}

LPCWSTR QORVAOptItemHandlerNUP::LoadResString(DWORD id) {
    switch (id) {
        case 64866: return u"2";
        case 64867: return u"4";
        case 64868: return u"6";
        case 64869: return u"9";
        case 64870: return u"16";
        default: return u"1";
    }
}

void QORVAOptItemHandlerNUP::MirrorValue(QORVAOptItemDlgLink* link) {
    LONG_PTR value = 0;
    DWORD isText = 0;
    QORVAOptItemHandler::GetValue(nullptr, &value, &isText);
    if (QORVAOptItemHandler* mirror = GetHandler(kPagesPerSheetMirrorItem)) mirror->SetValue(value, link);
}

LONG_PTR QORVAOptItemHandlerNUP::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    if (QORVAOptItemHandler* mirror = GetHandler(kPagesPerSheetMirrorItem)) mirror->SetValue(selection, link);
    return QORVAOptItemHandler::SetCurSel(selection, link);
}

LONG_PTR QORVAOptItemHandlerNUP::StepSel(LONG delta, QORVAOptItemDlgLink* link) {
    const LONG_PTR previous = GetSel();
    LONG_PTR next = previous + delta;
    if (next < m_minimum) next = m_wrap == 1 ? m_maximum : m_minimum;
    else if (next > m_maximum) next = m_wrap == 1 ? m_minimum : m_maximum;
    QORVAOptItemHandler::SetCurSel(next, link);
    MirrorValue(link);
    return previous;
}

void QORVAOptItemHandlerNUP::QLoad(LPCWSTR text, DWORD* loadedOk) {
    QORVAOptItemHandler::QLoad(text, loadedOk);
    MirrorValue(nullptr);
}
