// The links of each item's controls, row by row, and the makers of the named link classes.
#include <algorithm>

#include "items/dlglink_buttons.h"
#include "items/dlglink_edit.h"
#include "options/binding_margin_links.h"
#include "options/device_page_links.h"
#include "options/device_page_links_lists.h"
#include "options/filtered_edit.h"
#include "options/info_links.h"
#include "options/media_unit_links.h"
#include "options/page_preview_link.h"
#include "options/printer_address_check.h"
#include "options/printer_address_links.h"
#include "options/summary_value_links.h"
#include "items/heap_object.h"
#include "items/optitem_dlglink.h"
#include "options/factory_tables.h"
#include "options/layout_links.h"
#include "options/watermark_list_link.h"

namespace {

using enum DrvLinkClass;

constexpr LinkStep Row(DWORD key) {
    return {LinkOp::Row, key, 0, {}};
}
constexpr LinkStep Needs(DWORD control) {
    return {LinkOp::Needs, control, 0, {}};
}
constexpr LinkStep When(DWORD control, DWORD steps) {
    return {LinkOp::When, control, steps, {}};
}
constexpr LinkStep ByClass(DWORD control, DWORD flags = 0) {
    return {LinkOp::ByClass, control, flags, {}};
}
constexpr LinkStep Named(DrvLinkClass linkClass, DWORD control, DWORD options = 0) {
    return {LinkOp::Named, control, options, linkClass};
}
constexpr LinkStep HelpBubble(DWORD control, DWORD kind) {
    return {LinkOp::Bubble, control, kind, DrvLinkClass::Bubble};
}
constexpr LinkStep Limit(DWORD control, DWORD characters) {
    return {LinkOp::LimitText, control, characters, {}};
}
constexpr LinkStep SetState(DWORD bits) {
    return {LinkOp::SetState, 0, bits, {}};
}
constexpr LinkStep ExtState(DWORD value) {
    return {LinkOp::ExtState, 0, value, {}};
}
constexpr LinkStep FullRow(DWORD control) {
    return {LinkOp::FullRow, control, 0, {}};
}
constexpr LinkStep AddressText() {
    return {LinkOp::AddressText, 25305, 0, {}};
}

constexpr DWORD kTwo = kLinkNeedsTwo;
constexpr DWORD kShown = kLinkShowState;
constexpr DWORD kStyle = kNamedWithStyle;
constexpr DWORD kIme = kNamedKeepIme;

constexpr LinkStep kSteps[] = {
    Row(1), Needs(1112), ByClass(1110), Named(Radiobutton, 1112),
    Row(3), Needs(1122), ByClass(1120), ByClass(1122), ByClass(1123), Limit(1122, 3),
    Row(4), Needs(3352), ByClass(3352, kTwo), ByClass(3350, kTwo),
    // The print quality is the printer's own: its controls stay disabled.
    Row(5), ByClass(1052), ByClass(1050), SetState(0x1),
    // The duplex check box asks its handler for on or off (the handler answers a link on it so).
    Row(7), ByClass(2050), ByClass(2053),
    Row(12), ByClass(1303), ByClass(1300), HelpBubble(1302, 1),
    Row(16), Needs(2253), ByClass(2250), Named(UDArrowListNUP, 2253), ByClass(2254), ByClass(2255), HelpBubble(2252, 1),
    Row(101), ByClass(101),
    Row(103), Needs(103), Named(ButtonGETDEVINFO, 103), HelpBubble(104, 1),
    Row(150), ByClass(150), HelpBubble(151, 2),
    Row(200), Needs(200), Named(Logo, 200),
    Row(250), Needs(250), Named(PagePreview, 250),
    Row(510), Needs(510), Named(AboutLogo, 510),
    Row(531), Needs(531), Named(StaticDRVNAME, 531),
    Row(550), Needs(550), Named(StaticDRVVERSION, 550),
    Row(570), Needs(570), Named(CertLogo, 570),
    Row(1013), Needs(1013), ByClass(1011), ByClass(1012), Named(StaticMAINVALUE, 1013),
    Row(1075), ByClass(1075),
    Row(1115), ByClass(1115),
    Row(1130), Needs(1130), Named(CheckCOLLATE, 1130),
    Row(1141), Needs(1141), ByClass(1140), ByClass(1141),
    Row(1142), Needs(1142), ByClass(1142),
    Row(1143), Needs(1143), ByClass(1143),
    Row(1145), Needs(1145), Named(CheckUSRACTPRN, 1145),
    Row(1150), ByClass(1150), ByClass(1100),
    Row(1203), Needs(1203), Named(ComboboxMediaSize, 1203), ByClass(1200), HelpBubble(1202, 1),
    Row(1250), ByClass(1250), HelpBubble(1251, 2),
    Row(2013), Needs(2013), ByClass(2011), ByClass(2012), Named(StaticLAYOUTVALUE, 2013),
    Row(2300), ByClass(2300),
    Row(2352), ByClass(2352), ByClass(2350),
    // The watermark: the page's combo box, or the popup's list with its text edit.
    Row(2402), When(2402, 2), ByClass(2400), ByClass(2402),
    When(19052, 4), ByClass(19050), Named(ListboxWMLIST, 19052, kStyle), ByClass(19150), ExtState(1),
    When(19152, 1), Named(EditboxWMKMessage, 19152, kStyle | kIme),
    Row(2450), Needs(2450), ByClass(2450), HelpBubble(2451, 1),
    Row(2500), Needs(2500), ByClass(2500),
    Row(2601), Needs(2601), ByClass(2600), ByClass(2601),
    Row(2602), Needs(2602), ByClass(2602), HelpBubble(2604, 1),
    Row(2603), Needs(2603), ByClass(2603),
    Row(2621), Needs(2621), ByClass(2620), ByClass(2621),
    Row(2622), Needs(2622), ByClass(2622), HelpBubble(2623, 1),
    Row(2624), Needs(2624), ByClass(2624),
    Row(3013), Needs(3013), ByClass(3011), ByClass(3012), Named(StaticADVANCEDVALUE, 3013),
    Row(3101), ByClass(3050), ByClass(3101, kShown), HelpBubble(3100, 1),
    Row(3102), Needs(3102), Named(ComboboxMediaSize, 3102),
    Row(3203), Needs(3203), ByClass(3203), ByClass(3204), ByClass(3200), HelpBubble(3202, 1), Limit(3203, 3),
    Row(9353), Needs(9353), Named(PushbuttonELEVATE, 9353), ByClass(9352), ByClass(9351), ByClass(9350),
    Row(16100), ByClass(16100, kByClassKeepIme),
    Row(17052), ByClass(17050), ByClass(17052),
    Row(17100), ByClass(17100),
    Row(17152), ByClass(17150), Named(UDArrowNumberMEDIAUNITS, 17152), Named(UDArrowSpinMEDIAUNITS, 17153),
    Named(StaticMEDIAUNITS, 17154),
    Row(17202), ByClass(17200), Named(UDArrowNumberMEDIAUNITS, 17202), Named(UDArrowSpinMEDIAUNITS, 17203),
    Named(StaticMEDIAUNITS, 17204),
    Row(17250), ByClass(17250, kShown),
    Row(18100), Needs(18100), Named(EditboxCMSName, 18100, kStyle | kIme),
    Row(19101), ByClass(19101), HelpBubble(19100, 1),
    Row(19102), ByClass(19102),
    Row(19202), ByClass(19200), ByClass(19202),
    Row(19250), ByClass(19250), ByClass(19251),
    Row(19302), ByClass(19302), ByClass(19300),
    Row(19352), Needs(19352), Named(ComboboxCOLOR, 19352), ByClass(19350),
    Row(19402), ByClass(19402), ByClass(19400),
    Row(19452), ByClass(19450), ByClass(19453), ByClass(19452),
    Row(19502), ByClass(19502), ByClass(19500),
    Row(25101), Needs(25101), FullRow(25101), Named(ListviewDEVOPTINFO, 25101), ByClass(25100),
    Row(25103), Needs(25103), Named(ComboboxDEVOPTCOMBOBOX, 25103), ByClass(25102),
    Row(25104), ByClass(25104),
    Row(25105), ByClass(25105),
    Row(25181), Needs(25181), FullRow(25181), Named(ListviewTRAYINFO, 25181), ByClass(25180),
    Row(25182), ByClass(25182),
    Row(25201), Needs(25201), FullRow(25201), Named(ListviewTRAYINFO, 25201),
    Row(25203), Needs(25203), Named(ComboboxTRAYINFO_SIZE, 25203), ByClass(25202),
    Row(25205), Needs(25205), Named(ComboboxTRAYINFO_TYPE, 25205), ByClass(25204),
    Row(25301), Needs(25301), ByClass(25301),
    Row(25303), Needs(25303), ByClass(25303), ByClass(25302),
    Row(25305), Needs(25305), ByClass(25305), AddressText(),
    Row(25308), Needs(25308), ByClass(25308),
    Row(25402), Needs(25402), ByClass(25401), ByClass(25403), Named(EditboxIDANDPWD, 25402),
    Row(25405), Needs(25405), ByClass(25404), ByClass(25406), Named(EditboxIDANDPWD, 25405),
    Row(25407), Named(PushbuttonIDANDPWD, 25407),
    Row(25408), Named(PushbuttonIDANDPWD, 25408),
    Row(25409), Named(PushbuttonIDANDPWD, 25409),
    Row(25502), Needs(25502), ByClass(25501), ByClass(25503), Named(EditboxIDANDPWD, 25502, kIme),
    Row(25505), Needs(25505), ByClass(25504), ByClass(25506), Named(EditboxIDANDPWD, 25505),
    Row(25507), Named(PushbuttonIDANDPWD, 25507),
    Row(25508), Named(PushbuttonIDANDPWD, 25508),
    Row(25509), Named(PushbuttonIDANDPWD, 25509),
    Row(25602), Needs(25602), ByClass(25602), ByClass(25601),
    Row(25604), Needs(25604), Named(StaticBINDMGNSFMODEEXP, 25604),
    Row(25611), ByClass(25610), Named(UDArrowNumberBINDMGNAMOUNT, 25611), Named(UDArrowSpinBINDMGNAMOUNT, 25612),
    Named(StaticBINDMGNAMOUNT, 25613),
    Row(25730), Needs(25730), ByClass(25730), ByClass(25720),
    Row(25750), Needs(25750), ByClass(25750), ByClass(25740),
    Row(25770), Needs(25770), ByClass(25770), ByClass(25760),
    Row(kEcoModeKey), Needs(3512), ByClass(30150), ByClass(3512), HelpBubble(3511, 1),
};

template <class Link>
QORVAOptItemDlgLink* Make(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD style) {
    return MakeOnHeap<Link>(heap, heap, handler, control, controlId, style);
}

// A link that takes no style word.
template <class Link>
QORVAOptItemDlgLink* MakeNamed(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD) {
    return MakeOnHeap<Link>(heap, heap, handler, control, controlId);
}

// One maker per named class, in the order of DrvLinkClass: Make<its class> when it takes the
// control's style, else MakeNamed<its class>.
constexpr LinkMaker kMakers[] = {
    Make<QORVAOptItemDlgLinkRadiobutton>,
    MakeNamed<QORVAOptItemDlgLinkUDArrowListNUP>,
    MakeNamed<QVOptItemDlgLinkButtonGETDEVINFO>,
    MakeNamed<QORVAOptItemDlgLinkLogo>,
    MakeNamed<QORVAOptItemDlgLinkPagePreview>,
    MakeNamed<QORVAOptItemDlgLinkAboutLogo>,
    MakeNamed<QORVAOptItemDlgLinkStaticDRVNAME>,
    MakeNamed<QORVAOptItemDlgLinkStaticDRVVERSION>,
    MakeNamed<QORVAOptItemDlgLinkCertLogo>,
    Make<QORVAOptItemDlgLinkStaticMAINVALUE>,
    MakeNamed<QORVAOptItemDlgLinkCheckCOLLATE>,
    MakeNamed<QVOptItemDlgLinkCheckUSRACTPRN>,
    MakeNamed<QVOptItemDlgLinkComboboxMediaSize>,
    Make<QORVAOptItemDlgLinkStaticLAYOUTVALUE>,
    Make<QORVAOptItemDlgLinkListboxWMLIST>,
    Make<QVOptItemDlgLinkEditboxWMKMessage>,
    Make<QORVAOptItemDlgLinkStaticADVANCEDVALUE>,
    MakeNamed<QORVAOptItemDlgLinkPushbuttonELEVATE>,
    Make<QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS>,
    Make<QORVAOptItemDlgLinkUDArrowSpinMEDIAUNITS>,
    Make<QORVAOptItemDlgLinkStaticMEDIAUNITS>,
    Make<QVOptItemDlgLinkEditboxCMSName>,
    MakeNamed<QORVAOptItemDlgLinkComboboxCOLOR>,
    MakeNamed<QVOptItemDlgLinkListviewDEVOPTINFO>,
    MakeNamed<QVOptItemDlgLinkComboboxDEVOPTCOMBOBOX>,
    MakeNamed<QVOptItemDlgLinkListviewTRAYINFO>,
    MakeNamed<QVOptItemDlgLinkComboboxTRAYINFO_SIZE>,
    MakeNamed<QVOptItemDlgLinkComboboxTRAYINFO_TYPE>,
    Make<QVOptItemDlgLinkEditboxIDANDPWD>,
    MakeNamed<QVOptItemDlgLinkPushbuttonIDANDPWD>,
    Make<QVOptItemDlgLinkStaticBINDMGNSFMODEEXP>,
    Make<QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT>,
    Make<QVOptItemDlgLinkUDArrowSpinBINDMGNAMOUNT>,
    Make<QVOptItemDlgLinkStaticBINDMGNAMOUNT>,
    Make<QORVAOptItemDlgLinkBubble>,
};
static_assert(std::size(kMakers) == static_cast<size_t>(DrvLinkClass::Count));

}  // namespace

std::span<const LinkStep> AllDlgLinkSteps() {
    return kSteps;
}

std::span<const LinkStep> DlgLinkSteps(DWORD key) {
    const auto isRow = [](const LinkStep& step) { return step.m_op == LinkOp::Row; };
    const auto* row = std::find_if(std::begin(kSteps), std::end(kSteps),
                                   [key](const LinkStep& step) { return step.m_op == LinkOp::Row && step.m_control == key; });
    if (row == std::end(kSteps)) return {};
    const auto* end = std::find_if(row + 1, std::end(kSteps), isRow);
    return {row + 1, end};
}

LinkMaker LinkMakerOf(DrvLinkClass linkClass) {
    const auto index = static_cast<size_t>(linkClass);
    return index < std::size(kMakers) ? kMakers[index] : nullptr;
}

void KeepInputMethod(QORVAOptItemDlgLink* link) {
    if (auto* box = dynamic_cast<QORVAOptItemDlgLinkImeBox*>(link)) box->SetKeepIme(1);
}
