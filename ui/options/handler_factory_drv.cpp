// The driver factory: handlers by key, the links of a page's controls, the constraints and the
// drawing session.
#include "options/handler_factory_drv.h"

#include <algorithm>

#include <win/commctrl.h>
#include <win/winspool.h>

#include "couipluginext.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "kittrace.h"
#include "options/factory_tables.h"
#include "session/ui_session.h"
#include "options/item_preparation.h"

namespace {

constexpr WCHAR kHandlerProperty[] = u"optItemHandler";

// The help-bubble pictures (kind 1 normal and pressed, kind 2 normal and pressed) by the screen's
// vertical resolution, highest first.
struct BubbleSet {
    int m_minimumDpi;
    DWORD m_first;
};
constexpr BubbleSet kBubbleSets[] = {{192, 172}, {144, 168}, {122, 164}, {0, 160}};

}  // namespace

QORVAOptItemHandlerFactoryDrv::QORVAOptItemHandlerFactoryDrv(POEMCUIPPARAM record, CoUIPluginExt* extension,
                                                             IPrintOemDriverUI* driverUI, void* settings)
    : QORVAOptItemHandlerFactory(record, extension, driverUI, settings) {}

QORVAOptItemHandlerFactoryDrv::~QORVAOptItemHandlerFactoryDrv() {
    for (auto& [key, handler] : m_handlers)
        if (handler) handler->ReleaseItemMap();
    for (QORVAOptItemNotify*& constraint : m_constraints) {
        if (!constraint) continue;
        constraint->ReleaseItemMap();
        constraint->Destroy();
        constraint = nullptr;
    }
    if (m_session) QORVAUISession::Destroy(m_session);
    m_session = nullptr;
}

QORVAOptItemHandler* QORVAOptItemHandlerFactoryDrv::CreateHandler(POPTITEM item) {
    if (!item) return nullptr;
    WORD stringId = 0;
    const DWORD key = GetPubID(item, &stringId);
    if (key == 0) return nullptr;
    if (UiType() != kUiTypeSheets && stringId != 0) {
        // The platform's tree shows such an item by its string; the kit's pages are not there to
        // give it a handler.
        IDrvResources* resources = m_extension ? m_extension->Resources() : nullptr;
        if (LPWSTR name = resources ? resources->DuplicateString(stringId) : nullptr) item->pName = name;
        return nullptr;
    }
    if (QORVAOptItemHandler* existing = FindHandler(key)) return existing;
    const HandlerMaker maker = HandlerMakerOf(ChooseHandlerClass(key, item->HelpIndex, UiType()));
    QORVAOptItemHandler* handler = maker ? maker(m_heap, this, item) : nullptr;
    if (!handler) return QORVAOptItemHandlerFactory::CreateHandler(item);
    if (!StoreHandler(key, handler)) {
        handler->Destroy();
        return nullptr;
    }
    return handler;
}

void QORVAOptItemHandlerFactoryDrv::CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) {
    if (!dialog || !handler) return;
    const std::span<const LinkStep> steps = DlgLinkSteps(handler->ItemKey());
    DWORD skip = 0;
    for (const LinkStep& step : steps) {
        if (skip) {
            --skip;
            continue;
        }
        HWND control = step.m_control ? GetDlgItem(dialog, static_cast<int>(step.m_control)) : nullptr;
        switch (step.m_op) {
        case LinkOp::Row:
            return;
        case LinkOp::Needs:
            if (!control) return;
            break;
        case LinkOp::When:
            if (!control) skip = step.m_value;
            break;
        case LinkOp::ByClass: {
            QORVAOptItemDlgLink* link =
                CreateDlgLinkByClass(dialog, handler, step.m_control, step.m_value & (kLinkNeedsTwo | kLinkShowState));
            if (link && (step.m_value & kByClassKeepIme)) KeepInputMethod(link);
            handler->AttachDlgLink(link);
            break;
        }
        case LinkOp::Named: {
            const LinkMaker maker = LinkMakerOf(step.m_class);
            if (!control || !maker) break;
            const DWORD style =
                (step.m_value & kNamedWithStyle) ? static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & 0xFFFF : 0;
            QORVAOptItemDlgLink* link = maker(m_heap, handler, control, step.m_control, style);
            if (link && (step.m_value & kNamedKeepIme)) KeepInputMethod(link);
            handler->AttachDlgLink(link);
            break;
        }
        case LinkOp::Bubble:
            handler->AttachDlgLink(CreateBubbleLink(dialog, handler, step.m_control, step.m_value));
            break;
        case LinkOp::LimitText:
            if (control) SendMessageW(control, EM_LIMITTEXT, step.m_value, 0);
            break;
        case LinkOp::SetState:
            handler->SetStateBits(step.m_value);
            break;
        case LinkOp::ExtState:
            handler->SetExtState(step.m_value);
            break;
        case LinkOp::FullRow:
            if (control)
                SendMessageW(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
            break;
        case LinkOp::AddressText:
            PutAddressText(dialog);
            break;
        }
    }
}

void QORVAOptItemHandlerFactoryDrv::PutAddressText(HWND dialog) {
    // Only the popup that can take the address from the port has the address edit to fill.
    if (!GetDlgItem(dialog, 25303)) return;
    HWND edit = GetDlgItem(dialog, 25305);
    if (!edit) return;
    HANDLE printer = m_record ? m_record->hPrinter : nullptr;
    WCHAR typed[kTypedAddressChars + 1] = {};
    if (ReadTypedDeviceAddress(printer, m_record ? m_record->pPrinterName : nullptr, typed, kTypedAddressChars)) {
        SetWindowTextW(edit, typed);
    } else if (printer) {
        // The stored address, read into 128 bytes; a value that fills them still ends here.
        WCHAR stored[65] = {};
        DWORD type = 0;
        DWORD needed = 0;
        if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"PrinterIPaddr"), &type, reinterpret_cast<LPBYTE>(stored),
                            128, &needed) == ERROR_SUCCESS &&
            type == REG_SZ)
            SetWindowTextW(edit, stored);
    }
    EnableWindow(edit, IsDlgButtonChecked(dialog, 25303) != BST_CHECKED);
}

QORVAOptItemDlgLink* QORVAOptItemHandlerFactoryDrv::CreateBubbleLink(HWND dialog, QORVAOptItemHandler* handler,
                                                                     DWORD controlId, DWORD kind) {
    HWND control = dialog ? GetDlgItem(dialog, static_cast<int>(controlId)) : nullptr;
    if (!control || !handler) return nullptr;
    if (GetPropW(control, kHandlerProperty)) return nullptr;
    const LinkMaker maker = LinkMakerOf(DrvLinkClass::Bubble);
    return maker ? maker(m_heap, handler, control, controlId, kind) : nullptr;
}

void QORVAOptItemHandlerFactoryDrv::CreateConstraints() {
    DWORD slot = 0;
    for (const DrvConstraintClass constraintClass : SheetConstraints(SheetMode())) {
        if (slot >= kConstraintSlots) break;
        const ConstraintMaker maker = ConstraintMakerOf(constraintClass);
        if (!maker) {
            // A sheet without one of its rules is a fault of the build, not of the user's data.
            DebugTrace(1, u"%s: no class [%s] for slot [%d]\n", u"QORVAOptItemHandlerFactoryDrv::CreateConstraints",
                       ConstraintClassName(constraintClass), static_cast<int>(slot));
        } else if (!m_constraints[slot]) {
            m_constraints[slot] = maker(m_heap, this);
        }
        ++slot;
    }
}

void QORVAOptItemHandlerFactoryDrv::FillSessionConfig(DWORD sheetMode, int dotsPerInch,
                                                      DWORD (&words)[kSessionConfigWords]) {
    std::fill(std::begin(words), std::end(words), 0u);
    words[0] = sheetMode;
    // The logo and the About box's logo, each with its mask.
    words[1] = 130;
    words[2] = 131;
    words[3] = 130;
    words[4] = 131;
    const BubbleSet* set = std::find_if(std::begin(kBubbleSets), std::end(kBubbleSets),
                                        [dotsPerInch](const BubbleSet& s) { return dotsPerInch >= s.m_minimumDpi; });
    for (DWORD i = 0; i < 4; ++i) words[6 + i] = set->m_first + i;
    // The page preview's pictograms, its cursor and the strings of its caption.
    const DWORD pictograms[] = {150, 151, 153, 154, 152};
    std::copy(std::begin(pictograms), std::end(pictograms), words + 38);
    words[46] = 100;
    words[47] = 171;
    words[48] = 173;
    words[49] = 172;
}

int QORVAOptItemHandlerFactoryDrv::ScreenDotsPerInch() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

LRESULT QORVAOptItemHandlerFactoryDrv::InitDialog(HWND dialog) {
    if (!m_session) {
        DWORD config[kSessionConfigWords];
        FillSessionConfig(SheetMode(), ScreenDotsPerInch(), config);
        m_session = QORVAUISession::Create(m_heap, m_extension ? m_extension->Resources() : nullptr, config);
    }
    return QORVAOptItemHandlerFactory::InitDialog(dialog);
}
