#include "options/paper_source_handlers.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <win/winspool_forms.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/printer_form.h"
#include "items/system_func.h"
#include "kittrace.h"

namespace {

// A stored value's text as "%x" reads it: blanks, an optional "0x", hexadecimal digits. False when
// there is no digit or the number does not fit 32 bits.
bool ReadHexText(LPCWSTR text, DWORD* value) {
    if (!text) return false;
    while (*text == u' ' || *text == u'\t' || *text == u'\n' || *text == u'\r') ++text;
    if (text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const WCHAR after = text[2];
        if ((after >= u'0' && after <= u'9') || (after >= u'a' && after <= u'f') || (after >= u'A' && after <= u'F'))
            text += 2;
    }
    DWORD result = 0;
    size_t digits = 0;
    for (;; ++text, ++digits) {
        const WCHAR c = *text;
        DWORD digit = 0;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else break;
        if (result > 0x0FFFFFFFu) return false;
        result = (result << 4) | digit;
    }
    if (!digits) return false;
    *value = result;
    return true;
}

LONG_PTR CurrentValue(QORVAOptItemHandler* handler) {
    LONG_PTR value = 0;
    DWORD isText = 0;
    handler->GetValue(nullptr, &value, &isText);
    return value;
}

// The id paired with id in the remap table: from names the side id is looked up on, to the side
// answered; id itself when no pair has it.
LONG Remapped(const QORVASystemFunc* systemFunc, LONG id, LONG PaperIdRemap::*from, LONG PaperIdRemap::*to) {
    if (!systemFunc) return id;
    const PaperIdRemap* pairs = systemFunc->GetRemapTable();
    const DWORD count = std::min<DWORD>(systemFunc->GetRemapCount(), PAPER_REMAP_PAIRS);
    for (DWORD i = 0; i < count; ++i)
        if (pairs[i].*from == id) return pairs[i].*to;
    return id;
}

}  // namespace

LONG PaperIdToDevice(const QORVASystemFunc* systemFunc, LONG assignedId) {
    return Remapped(systemFunc, assignedId, &PaperIdRemap::m_newId, &PaperIdRemap::m_deviceId);
}

LONG PaperIdFromDevice(const QORVASystemFunc* systemFunc, LONG deviceId) {
    return Remapped(systemFunc, deviceId, &PaperIdRemap::m_deviceId, &PaperIdRemap::m_newId);
}

// --- Paper size ------------------------------------------------------------------------------

QORVAOptItemHandlerPAPERSIZE::QORVAOptItemHandlerPAPERSIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                           POPTITEM item)
    : QORVAOptItemHandlerCombobox(heap, factory, item) {}

void QORVAOptItemHandlerPAPERSIZE::SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) {
    m_loadMismatch = 0;
    QORVAOptItemHandlerCombobox::SetValue(value, link);
}

LONG_PTR QORVAOptItemHandlerPAPERSIZE::GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText) {
    if (isText) *isText = 0;
    if (m_loadMismatch) return 0;
    return QORVAOptItemHandlerCombobox::GetSelValue(link, isText);
}

void QORVAOptItemHandlerPAPERSIZE::QLoad(LPCWSTR text, DWORD*) {
    DWORD loaded = 0;
    if (!ReadHexText(text, &loaded)) return;
    SetValue(static_cast<LONG_PTR>(loaded), nullptr);
    m_loadMismatch = static_cast<DWORD>(CurrentValue(this)) != loaded ? 1 : 0;
}

void QORVAOptItemHandlerPAPERSIZE::SaveSettings(HWND window) {
    if (window) return;
    const LONG_PTR selection = GetSel();
    // Options without a name are not in the universal driver's own list of forms.
    LONG unnamed = 0;
    for (LONG i = 0; i < selection; ++i) {
        LPCWSTR text = GetOptionText(i, nullptr, nullptr);
        if (!text || !*text) ++unnamed;
    }
    SetCurSel(selection - unnamed, nullptr);
    const LONG assigned = static_cast<WORD>(CurrentValue(this));
    POEMCUIPPARAM record = m_factory ? m_factory->Record() : nullptr;
    if (!record || !record->pPublicDM) return;
    record->pPublicDM->dmPaperSize = static_cast<short>(PaperIdToDevice(m_factory->SystemFunc(), assigned));
}

// --- Scale to paper size ---------------------------------------------------------------------

QORVAOptItemHandlerSCALEDOCONSIZE::QORVAOptItemHandlerSCALEDOCONSIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                     POPTITEM item)
    : QORVAOptItemHandlerCombobox(heap, factory, item) {}

void QORVAOptItemHandlerSCALEDOCONSIZE::SaveSettings(HWND window) {
    if (window || !m_factory) return;
    POEMCUIPPARAM record = m_factory->Record();
    CoUIPluginExt* extension = m_factory->Extension();
    IDrvSettings* settings = extension ? extension->Settings() : nullptr;
    if (!record || !record->pOEMDM || !settings) return;
    const LONG device = PaperIdToDevice(m_factory->SystemFunc(), static_cast<LONG>(CurrentValue(this)));
    const WORD size = static_cast<WORD>(device);
    const HRESULT result = settings->SetFieldValue(record->pOEMDM, u"_SCALEDOCON_SIZE", &size, sizeof size,
                                                   SETTINGS_SELECT_DEVMODE);
    if (FAILED(result))
        DebugTrace(1, u"%s: SetFieldValue err=[%08x]\n", u"QORVAOptItemHandlerSCALEDOCONSIZE::SaveSettings",
                   static_cast<unsigned>(result));
}

// --- Paper source ----------------------------------------------------------------------------

QORVAOptItemHandlerSource::QORVAOptItemHandlerSource(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemHandlerCombobox(heap, factory, item) {}

void QORVAOptItemHandlerSource::QLoad(LPCWSTR text, DWORD* loadedOk) {
    DWORD loaded = 0;
    if (!ReadHexText(text, &loaded)) return;
    m_loadMismatch = 0;
    const bool kitKey = m_key >= 100 && m_key < 0x80000000u && m_group == 0;
    const BYTE type = Type();
    if (!m_alternate && (type == TVOT_CHKBOX || !kitKey) && loaded >= static_cast<DWORD>(GetOptionCount())) {
        DebugTrace(2, u"%s: assertion pubID=[%08x], val=[%d]\n", u"QORVAOptItemHandlerSource::QLoad", m_key,
                   static_cast<int>(loaded));
    } else {
        SetValue(static_cast<LONG_PTR>(loaded), nullptr);
    }
    if (type == TVOT_LISTBOX || type == TVOT_COMBOBOX) {
        if (static_cast<DWORD>(CurrentValue(this)) != loaded) {
            m_loadMismatch = 1;
            if (loadedOk) *loadedOk = 0;
        }
    }
}

// --- Watermark angle -------------------------------------------------------------------------

QORVAOptItemHandlerWMANGLE::QORVAOptItemHandlerWMANGLE(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                       POPTITEM item)
    : QORVAOptItemHandler3States(heap, factory, item) {
    // This object's own map is empty yet, so each handler is new to it and it starts observing.
    m_paperSize = WatchItem(kPaperSizeItem);
    m_orientation = WatchItem(kOrientationItem);
}

DWORD QORVAOptItemHandlerWMANGLE::Notify(DWORD, WORD, DWORD) {
    // Another paper size or orientation: the diagonal choice recomputes its angle.
    SetCurSel(GetSel(), nullptr);
    return kAnswerPass;
}

LONG QORVAOptItemHandlerWMANGLE::DiagonalAngle() {
    LONG width = 0;
    LONG height = 0;
    LPCWSTR paper = m_paperSize ? m_paperSize->GetSelText(nullptr) : nullptr;
    POEMCUIPPARAM record = m_factory ? m_factory->Record() : nullptr;
    if (paper && record) {
        if (const QORVAPrinterForm form(record->hPrinter, paper); form) {
            width = form.info().Size.cx;
            height = form.info().Size.cy;
        }
    }
    if (m_orientation && CurrentValue(m_orientation) != 0) std::swap(width, height);
    if (width <= 0) return 0;
    return static_cast<LONG>(std::atan(static_cast<double>(height) / width) * 180.0 / 3.141592653589793);
}

LONG_PTR QORVAOptItemHandlerWMANGLE::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    if (selection == 0 || selection == 1) {
        if (QORVAOptItemHandler* degree = GetHandler(kWatermarkDegreeItem))
            degree->SetValue(selection == 0 ? DiagonalAngle() : 0, nullptr);
    }
    return QORVAOptItemHandler3States::SetCurSel(selection, link);
}

void QORVAOptItemHandlerWMANGLE::SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) {
    LONG_PTR option = 0;
    if (value == 2) option = 1;
    else if (value == 3) option = 2;
    SetCurSel(option, link);
}
