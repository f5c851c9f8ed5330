// Which handler class an item key gets, and the makers of the classes.
#include <algorithm>

#include "items/heap_object.h"
#include "options/custom_media_handlers.h"
#include "options/device_feature_handlers.h"
#include "options/device_info_handlers.h"
#include "options/device_option_handler.h"
#include "options/factory_tables.h"
#include "options/font_substitution.h"
#include "options/paper_source_handlers.h"
#include "options/printer_address_handler.h"
#include "options/quick_settings.h"
#include "options/watermark_list.h"

namespace {

// The kit's own pages replace the universal driver's items of these keys by dialog handlers.
constexpr HandlerKeyRow kKitPageRows[] = {
    {5, DrvHandlerClass::PRINTQUALITY}, {6, DrvHandlerClass::COLORDlg},     {7, DrvHandlerClass::DUPLEXDlg},
    {8, DrvHandlerClass::TRUETYPEFONT}, {kEcoModeKey, DrvHandlerClass::ECONOMODE},
};

constexpr HandlerKeyRow kRows[] = {
    {4, DrvHandlerClass::Source},
    {16, DrvHandlerClass::NUP},
    {101, DrvHandlerClass::QSCOMBOBOX},
    {1203, DrvHandlerClass::PAPERSIZE},
    {2402, DrvHandlerClass::WMCOMBOBOX},
    {3102, DrvHandlerClass::SCALEDOCONSIZE},
    {16100, DrvHandlerClass::QSEDITBOX},
    {17052, DrvHandlerClass::CMCOMBOBOX},
    {18100, DrvHandlerClass::CMEDITBOX},
    {19202, DrvHandlerClass::WMANGLE},
    {25103, DrvHandlerClass::DEVOPTCOMBOBOX},
    {25181, DrvHandlerClass::DEVINFOPropSheet},
    {25402, DrvHandlerClass::IDANDPWD},
    {25502, DrvHandlerClass::IDANDPWD},
};

template <class Handler>
QORVAOptItemHandler* Make(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item) {
    return MakeOnHeap<Handler>(heap, heap, factory, item);
}

// One maker per class, in the order of DrvHandlerClass; empty for a class the plug-in lacks. A
// class joins as Make<its class>.
constexpr HandlerMaker kMakers[] = {
    nullptr,  // None
    Make<QORVAOptItemHandlerFONTSUBST>,
    Make<QORVAOptItemHandlerPRINTQUALITY>,
    Make<QORVAOptItemHandlerCOLORDlg>,
    Make<QORVAOptItemHandlerDUPLEXDlg>,
    Make<QORVAOptItemHandlerTRUETYPEFONT>,
    Make<QVOptItemHandlerECONOMODE>,
    Make<QORVAOptItemHandlerSource>,
    Make<QORVAOptItemHandlerNUP>,
    Make<QORVAOptItemHandlerQSCOMBOBOX>,
    Make<QORVAOptItemHandlerPAPERSIZE>,
    Make<QORVAOptItemHandlerWMCOMBOBOX>,
    Make<QORVAOptItemHandlerSCALEDOCONSIZE>,
    Make<QORVAOptItemHandlerQSEDITBOX>,
    Make<QORVAOptItemHandlerCMCOMBOBOX>,
    Make<QORVAOptItemHandlerCMEDITBOX>,
    Make<QORVAOptItemHandlerWMANGLE>,
    Make<QORVAOptItemHandlerDEVOPTCOMBOBOX>,
    Make<QVOptItemHandlerDEVINFOPropSheet>,
    Make<QVOptItemHandlerIDANDPWD>,
};
static_assert(std::size(kMakers) == static_cast<size_t>(DrvHandlerClass::Count));

DrvHandlerClass Find(std::span<const HandlerKeyRow> rows, DWORD key) {
    const auto row = std::find_if(rows.begin(), rows.end(), [key](const HandlerKeyRow& r) { return r.m_key == key; });
    return row == rows.end() ? DrvHandlerClass::None : row->m_class;
}

}  // namespace

std::span<const HandlerKeyRow> KitPageHandlerRows() {
    return kKitPageRows;
}

std::span<const HandlerKeyRow> HandlerRows() {
    return kRows;
}

DrvHandlerClass ChooseHandlerClass(DWORD key, WORD helpIndex, DWORD uiType) {
    if (key == 0) return DrvHandlerClass::None;
    if (uiType == 2) {
        if (helpIndex == kFontSubstHelpIndex) return DrvHandlerClass::FONTSUBST;
        if (const DrvHandlerClass kit = Find(kKitPageRows, key); kit != DrvHandlerClass::None) return kit;
    }
    return Find(kRows, key);
}

HandlerMaker HandlerMakerOf(DrvHandlerClass handlerClass) {
    const auto index = static_cast<size_t>(handlerClass);
    return index < std::size(kMakers) ? kMakers[index] : nullptr;
}
