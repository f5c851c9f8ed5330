#include "options/constraint_main.h"

#include <algorithm>
#include <initializer_list>

#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "options/constraint_main_prompt.h"
#include "options/device_feature_handlers.h"
#include "options/device_info.h"
#include "options/device_info_controls.h"
#include "options/item_preparation.h"
#include "options/paper_source_handlers.h"
#include "options/printer_address_handler.h"

namespace {

constexpr DWORD kCustomSizeItem = 1250;
constexpr DWORD kMediaTypeItem = 12;
constexpr DWORD kRotateItem = 1115;
constexpr DWORD kPrintMethodItem = 1141;
constexpr DWORD kSecurePrintButton = 1142;
constexpr DWORD kBindingDirectionItem = 2601;

constexpr DWORD kWatched[] = {kScaleToOutputItem, kScaleItem,       kPaperSourceItem, kDocumentSizeItem,
                              kOutputSizeItem,    kCustomSizeItem,  kMediaTypeItem,   kOrientationItem,
                              kPrintMethodItem,   kPagesPerSheetItem, kBindingDirectionItem};

// Paper sources (bins) and media types the rules name.
constexpr LONG kSourceUpper = 1;
constexpr LONG kSourceLower = 2;
constexpr LONG kSourceMiddle = 3;
constexpr LONG kSourceManual = 4;
constexpr LONG kSourceCassette = 14;
constexpr LONG kSourceFormSource = 15;
constexpr LONG kMediaPlain = 513;
constexpr LONG kMediaTransparency = 517;
constexpr LONG kMediaThick1 = 518;
constexpr LONG kMediaThick2 = 519;
constexpr LONG kSecurePrint = 1;
constexpr LONG kBindingAutomatic = 255;

// Labels and texts of the prompts.
constexpr DWORD kLabelDocumentSize = 1200;
constexpr DWORD kLabelOutputSize = 3050;
constexpr DWORD kLabelSource = 3350;
constexpr DWORD kLabelMediaType = 1300;
constexpr DWORD kLabelDuplex = 2050;
constexpr DWORD kTextOneSided = 33425;
constexpr DWORD kTextManualFeed = 3367;
constexpr DWORD kNoteOutputSize = 33413;
constexpr DWORD kReasonNone = 0x80000000u;

constexpr LONG kLargeFormSide = 297000;  // micrometres
constexpr LONG kUnknownWidth = 100;
constexpr LONG kMarginPerInch = 50800;  // two sides, micrometres per inch

bool OneOf(LONG value, std::initializer_list<LONG> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsTraySize(LONG paper, LANGID market) {
    return OneOf(paper, {1, 5, 8, 9, 11, 12, 13, 17}) || (paper == 6 && market != kMarketJapan);
}

bool IsFormSourceSize(LONG paper, LANGID market) {
    return OneOf(paper, {1, 5, 8, 9, 12, 13, 17}) || (paper == 6 && market != kMarketJapan) ||
           (paper == 11 && market != kMarketUnitedStates);
}

bool IsDuplexSize(LONG paper) {
    return OneOf(paper, {1, 5, 6, 8, 9, 11, 12, 13, 17});
}

bool IsHeavyMedia(LONG media) {
    return OneOf(media, {kMediaTransparency, kMediaThick1, kMediaThick2});
}

// The tray a source stands for, -1 for none.
int TrayOfSource(LONG source) {
    switch (source) {
    case kSourceCassette: return kTray1;
    case kSourceMiddle: return kTray2;
    case kSourceLower: return kTray3;
    case kSourceManual: return kManualFeed;
    default: return -1;
    }
}

DWORD MediaNameId(LONG media) {
    switch (media) {
    case kMediaTransparency: return 1320;
    case kMediaThick1: return 1321;
    case kMediaThick2: return 1322;
    default: return 1316;
    }
}

}  // namespace

// What Notify reads once, before any rule runs.
struct MainRuleState {
    LONG m_duplex = 0;
    DWORD m_pagesPerSheet = 1;
    bool m_scaleToOutput = false;
    LONG m_documentSize = 0;
    LONG m_printMethod = 0;
    LANGID m_market = kMarketJapan;
    // The printer's trays; without a device record every tray counts as installed and names no
    // media type.
    bool m_traysKnown = false;
    TRAYINFO m_trays[kTrayCount] = {};

    bool Installed(int tray) const {
        return !m_traysKnown || (tray >= 0 && tray < kTrayCount && m_trays[tray].inputType != kInputNone);
    }
    int InstalledCount() const {
        int count = 0;
        for (int tray = 0; tray < kTrayCount; ++tray) count += Installed(tray) ? 1 : 0;
        return count;
    }
    // The media type a tray holds, 0 when none is known.
    LONG MediaType(int tray) const {
        if (!m_traysKnown || tray < 0 || tray >= kTrayCount) return 0;
        const LONG index = m_trays[tray].mediaIndex;
        return index >= 0 && index < kTrayMediaCount ? kTrayMediaCodes[index] : 0;
    }
};

QORVAOptItemConstraintMAIN::QORVAOptItemConstraintMAIN(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemConstraintMEDIASIZE(heap, factory) {
    m_documentSize = GetHandler(kDocumentSizeItem);
    m_outputSize = GetHandler(kOutputSizeItem);
    m_customSize = GetHandler(kCustomSizeItem);
    m_mediaType = GetHandler(kMediaTypeItem);
    m_source = GetHandler(kPaperSourceItem);
    m_orientation = GetHandler(kOrientationItem);
    m_rotate = GetHandler(kRotateItem);
    m_scaleToOutput = GetHandler(kScaleToOutputItem);
    m_scale = GetHandler(kScaleItem);
    m_printMethod = GetHandler(kPrintMethodItem);
    for (DWORD id : kWatched) ObserveItem(GetHandler(id));
}

DWORD QORVAOptItemConstraintMAIN::Notify(DWORD id, WORD code, DWORD) {
    SetDefaultMediaSize();

    State state;
    state.m_duplex = GetItemValue(kDuplexItem);
    state.m_pagesPerSheet = PagesPerSheet(static_cast<LONG>(GetItemSel(kPagesPerSheetItem)));
    state.m_scaleToOutput = GetItemValue(kScaleToOutputItem) != 0;
    state.m_documentSize = GetItemValue(kDocumentSizeItem);
    state.m_printMethod = GetItemValue(kPrintMethodItem);
    state.m_market = Market();
    POEMCUIPPARAM record = m_owner ? m_owner->Record() : nullptr;
    // The device list's lock is held only while the record is found and copied.
    state.m_traysKnown = ReadDeviceTrays(record ? record->hPrinter : nullptr, record ? record->pPrinterName : nullptr,
                                         state.m_trays) != FALSE;

    if (code == kNotifyStoredSet)
        if (const DWORD answer = FavouriteCheck(state)) return answer;
    if (const DWORD answer = PaperRule(id, code, state)) return answer;
    if (code == kNotifyFollowUp ||
        OneOf(static_cast<LONG>(id), {kDocumentSizeItem, kOutputSizeItem, kBindingDirectionItem, kOrientationItem,
                                      kPagesPerSheetItem, kScaleToOutputItem}))
        BindingEdge(state);
    if (id == kMediaTypeItem)
        if (const DWORD answer = MediaAgainstDuplex(state)) return answer;
    if (id == kPaperSourceItem)
        if (const DWORD answer = SourceChange(code, state)) return answer;
    SecurePrint(id, code, state);
    NotesAndLocks(id, code, state);
    OutputSizeAndScale(id, code, state);
    return kAnswerPass;
}

bool QORVAOptItemConstraintMAIN::OptionTrayInstalled(LONG index, const State& state) {
    if (!m_source || index <= 0) return false;
    const LONG count = m_source->GetOptionCount();
    if (index == count - 1) return state.Installed(kManualFeed);
    if (index - 1 < kTrayCount) return state.Installed(static_cast<int>(index - 1));
    return true;
}

void QORVAOptItemConstraintMAIN::ShowInstalledSources(const State& state) {
    if (!m_source) return;
    m_source->HideOption(0, 1, nullptr);
    for (LONG i = 1; i < m_source->GetOptionCount(); ++i)
        m_source->HideOption(i, OptionTrayInstalled(i, state) ? 1 : 0, nullptr);
}

void QORVAOptItemConstraintMAIN::ShowEveryOption(QORVAOptItemHandler* handler) {
    if (!handler) return;
    for (LONG i = 0; i < handler->GetOptionCount(); ++i) handler->HideOption(i, 1, nullptr);
}

DWORD QORVAOptItemConstraintMAIN::FavouriteCheck(const State& state) {
    const LONG source = GetItemValue(kPaperSourceItem);
    const int installed = state.InstalledCount();
    bool unavailable = false;
    if (source == kSourceLower || source == kSourceCassette) unavailable = installed < 4;
    else if (source == kSourceMiddle) unavailable = installed < 2;
    if (m_source)
        for (LONG i = 1; i < m_source->GetOptionCount(); ++i)
            m_source->HideOption(i, OptionTrayInstalled(i, state) ? 1 : 0, nullptr);
    const auto* loaded = dynamic_cast<QORVAOptItemHandlerSource*>(m_source);
    if (unavailable || (loaded && loaded->LoadMismatch())) return RefuseFavourite();
    return 0;
}

DWORD QORVAOptItemConstraintMAIN::PaperRule(DWORD id, WORD code, const State& state) {
    const bool runs = code == kNotifyInitialise || (id == kDocumentSizeItem && !state.m_scaleToOutput) ||
                      (id == kOutputSizeItem && state.m_scaleToOutput) || id == kScaleToOutputItem;
    if (!runs) return 0;
    const LONG paper = state.m_scaleToOutput ? GetItemValue(kOutputSizeItem) : state.m_documentSize;
    const LONG source = GetItemValue(kPaperSourceItem);
    const LONG media = GetItemValue(kMediaTypeItem);

    bool newSource = false;
    LONG newMedia = 0;
    const LONG manualMedia = state.MediaType(kManualFeed);
    if ((OneOf(source, {kSourceUpper, kSourceLower, kSourceMiddle}) && !IsTraySize(paper, state.m_market)) ||
        (source == kSourceFormSource && !IsFormSourceSize(paper, state.m_market))) {
        newSource = true;
        if (manualMedia && manualMedia != media) newMedia = manualMedia;
    } else if (code != kNotifyInitialise && source == kSourceManual) {
        if (manualMedia && manualMedia != media) newMedia = manualMedia;
    }
    const bool duplexOff = state.m_duplex != 0 && !IsDuplexSize(paper);
    const bool change = newSource || newMedia || duplexOff;

    bool ok = true;
    if (change && code != kNotifyInitialise) {
        const bool documentTrigger = id == kDocumentSizeItem || (id == kScaleToOutputItem && !state.m_scaleToOutput);
        MainChangePrompt prompt(Resources(), documentTrigger ? kLabelDocumentSize : kLabelOutputSize);
        if (newSource) prompt.AddLine(kLabelSource, kTextManualFeed);
        if (newMedia) prompt.AddLine(kLabelMediaType, MediaNameId(newMedia));
        if (duplexOff) prompt.AddLine(kLabelDuplex, kTextOneSided);
        ok = prompt.Ask(PageWindow());
    }
    if (ok && m_source) {
        for (LONG i = 0; i < m_source->GetOptionCount(); ++i) {
            const LONG value = static_cast<LONG>(m_source->GetOptionValue(i, nullptr));
            if (value == kSourceManual) {
                m_source->HideOption(i, 1, nullptr);
            } else if (OneOf(value, {kSourceUpper, kSourceLower, kSourceMiddle, kSourceFormSource})) {
                // A tray that is not installed stays as the device page left it.
                if (i >= 1 && !OptionTrayInstalled(i, state)) continue;
                m_source->HideOption(i, IsTraySize(paper, state.m_market) ? 1 : 0, nullptr);
            }
        }
    }
    if (!change) return 0;
    if (!ok) {
        ShowInstalledSources(state);
        return kAnswerRefuse;
    }
    if (newSource && m_source) {
        m_source->SetValue(kSourceManual, nullptr);
        ShowEveryOption(m_mediaType);
    }
    if (newMedia && m_mediaType) m_mediaType->SetValue(newMedia, nullptr);
    if (duplexOff)
        if (QORVAOptItemHandler* duplex = GetHandler(kDuplexItem)) duplex->SetValue(0, nullptr);
    if (id == kScaleToOutputItem && GetItemValue(kScaleToOutputItem) == 0 && m_scale)
        m_scale->SetValue(kUnscaled, nullptr);
    return kAnswerAcceptFollowUp;
}

SIZEL QORVAOptItemConstraintMAIN::SelectedForm(QORVAOptItemHandler* handler) {
    POEMCUIPPARAM record = m_owner ? m_owner->Record() : nullptr;
    if (!record || !handler) return SIZEL{0, 0};
    return FormSize(record->hPrinter, handler->GetSelText(nullptr));
}

void QORVAOptItemConstraintMAIN::BindingEdge(const State& state) {
    const LONG paper = state.m_scaleToOutput ? GetItemValue(kOutputSizeItem) : state.m_documentSize;
    const LONG direction = GetItemValue(kBindingDirectionItem);
    LONG edge = direction;
    if (direction == kBindingAutomatic) {
        const bool landscape = GetItemValue(kOrientationItem) != 0;
        if (OneOf(paper, {1, 6, 9, 11, 13})) {
            edge = landscape ? 1 : 0;
        } else if (OneOf(paper, {5, 8, 12, 17})) {
            edge = landscape ? 0 : 1;
        } else {
            const SIZEL form = SelectedForm(state.m_scaleToOutput ? m_outputSize : m_documentSize);
            const LONG w = form.cx;
            const LONG h = form.cy;
            if (w > kLargeFormSide || h > kLargeFormSide) {
                if (w > h) edge = landscape ? 1 : 0;
                else edge = landscape && w != h ? 0 : 1;
            } else {
                if (w > h) edge = landscape ? 0 : 1;
                else edge = landscape && w != h ? 1 : 0;
            }
        }
        if (state.m_pagesPerSheet == 2 || state.m_pagesPerSheet == 6) edge = edge ? 0 : 1;
    }
    if (QORVAOptItemHandler* bindingEdge = GetHandler(kBindingEdgeItem)) bindingEdge->SetValue(edge, nullptr);
    // The duplex item takes its long or short edge from the binding edge item.
    if (QORVAOptItemHandler* duplex = GetHandler(kDuplexItem)) duplex->SetCurSel(duplex->GetSel(), nullptr);
}

DWORD QORVAOptItemConstraintMAIN::MediaAgainstDuplex(const State& state) {
    if (state.m_duplex == 0 || !IsHeavyMedia(GetItemValue(kMediaTypeItem))) return 0;
    MainChangePrompt prompt(Resources(), kLabelMediaType);
    prompt.AddLine(kLabelDuplex, kTextOneSided);
    if (!prompt.Ask(PageWindow())) return kAnswerRefuse;
    if (QORVAOptItemHandler* duplex = GetHandler(kDuplexItem)) duplex->SetValue(0, nullptr);
    return kAnswerAcceptFollowUp;
}

DWORD QORVAOptItemConstraintMAIN::SourceChange(WORD code, const State& state) {
    ShowEveryOption(m_mediaType);
    const LONG source = GetItemValue(kPaperSourceItem);
    const LONG media = GetItemValue(kMediaTypeItem);
    LONG newMedia = 0;
    bool plainOnly = false;
    bool hideTransparency = true;
    const bool loading = code == kNotifyStoredSet;
    if (source == kSourceUpper) {
        plainOnly = true;
        if (!loading && media != kMediaPlain) newMedia = kMediaPlain;
    } else if (OneOf(source, {kSourceLower, kSourceMiddle, kSourceManual, kSourceCassette})) {
        if (!loading) {
            const LONG trayMedia = state.MediaType(TrayOfSource(source));
            if (trayMedia && trayMedia != media) newMedia = trayMedia;
            if (source == kSourceManual) hideTransparency = false;
        }
    } else if (source == kSourceFormSource) {
        plainOnly = true;
        if (!loading && IsHeavyMedia(media)) newMedia = kMediaPlain;
    }
    const bool duplexOff = state.m_duplex != 0 && newMedia && newMedia != kMediaPlain;
    const bool change = newMedia || duplexOff;
    if (change) {
        MainChangePrompt prompt(Resources(), kLabelSource);
        if (newMedia) prompt.AddLine(kLabelMediaType, MediaNameId(newMedia));
        if (duplexOff) prompt.AddLine(kLabelDuplex, kTextOneSided);
        if (!prompt.Ask(PageWindow())) return kAnswerRefuse;
    }
    if (m_mediaType) {
        for (LONG i = 0; i < m_mediaType->GetOptionCount(); ++i) {
            const LONG value = static_cast<LONG>(m_mediaType->GetOptionValue(i, nullptr));
            if ((plainOnly && value != kMediaPlain) || (hideTransparency && value == kMediaTransparency))
                m_mediaType->HideOption(i, 0, nullptr);
        }
    }
    if (!change) return 0;
    if (newMedia && m_mediaType) m_mediaType->SetValue(newMedia, nullptr);
    if (duplexOff)
        if (QORVAOptItemHandler* duplex = GetHandler(kDuplexItem)) duplex->SetValue(0, nullptr);
    return kAnswerAcceptFollowUp;
}

void QORVAOptItemConstraintMAIN::SecurePrint(DWORD id, WORD code, const State& state) {
    if (code != kNotifyInitialise && id != kPrintMethodItem) return;
    HWND page = PageWindow();
    if (HWND button = page ? GetDlgItem(page, kSecurePrintButton) : nullptr)
        EnableWindow(button, state.m_printMethod == kSecurePrint ? TRUE : FALSE);
    if (code == kNotifyInitialise || id != kPrintMethodItem || state.m_printMethod != kSecurePrint) return;
    const auto* account = dynamic_cast<QVOptItemHandlerIDANDPWD*>(GetHandler(kHeldJobIdItem));
    if (account && account->Id()[0]) return;
    // No ID yet: the secure-print settings open at once.
    if (QORVAOptItemHandler* button = GetHandler(kSecurePrintButton)) button->Push(page);
}

void QORVAOptItemConstraintMAIN::NotesAndLocks(DWORD id, WORD code, const State& state) {
    if (m_documentSize) {
        const bool differs = state.m_scaleToOutput && GetItemValue(kOutputSizeItem) != state.m_documentSize;
        m_documentSize->SetNote(differs ? kReasonNone | kNoteOutputSize : kReasonNone);
        m_documentSize->Invalidate(nullptr);
    }
    if (id == kOrientationItem && m_rotate) {
        m_rotate->ClearStateBits(0x1);
        if (code == kNotifyInitialise || code == kNotifyStoredSet) m_rotate->RefreshChain();
        else m_rotate->Invalidate(nullptr);
    }
    const bool single = state.m_pagesPerSheet == 1;
    SetLock(kScaleToOutputItem, 0x2000, single ? 0 : kReasonPagesPerSheetOne);
    if (id == kScaleItem || id == kScaleBarItem) m_autoScale = 0;
    const bool unscaled = GetItemValue(kScaleItem) == kUnscaled || m_autoScale == 1;
    SetLock(kScaleToOutputItem, 0x1000, unscaled ? 0 : kReasonScaleUnscaled);
    SetLock(kScaleItem, 0x2000, single ? 0 : kReasonPagesPerSheetOne);
    SetLock(kScaleItem, 0x1000, state.m_scaleToOutput ? kReasonScaleToOutputOff : 0);
    SetDisabled(kOutputSizeItem, !state.m_scaleToOutput);
}

void QORVAOptItemConstraintMAIN::SetScale(LONGLONG value) {
    if (!m_scale) return;
    LONGLONG minimum = m_scale->Minimum();
    LONGLONG maximum = m_scale->Maximum();
    if (maximum < minimum) {
        // No range of its own: any 32-bit scale.
        minimum = 0;
        maximum = 0x7FFFFFFF;
    }
    m_scale->SetValue(static_cast<LONG>(std::clamp(value, minimum, maximum)), nullptr);
}

void QORVAOptItemConstraintMAIN::OutputSizeAndScale(DWORD id, WORD code, const State& state) {
    if (!state.m_scaleToOutput) {
        if (m_outputSize) m_outputSize->SetValue(state.m_documentSize, nullptr);
        m_autoScale = 0;
        if (id == kScaleToOutputItem && code != kNotifyStoredSet && m_scale) m_scale->SetValue(kUnscaled, nullptr);
        return;
    }
    LONGLONG document = SelectedForm(m_documentSize).cx;
    LONGLONG output = SelectedForm(m_outputSize).cx;
    if (document <= 0) document = kUnknownWidth;
    if (output <= 0) output = kUnknownWidth;
    // Signed and wide: a form narrower than the margin must not wrap around.
    const LONGLONG base = output * 100 / document;
    POEMCUIPPARAM record = m_owner ? m_owner->Record() : nullptr;
    HDC context = record ? CreateDCW(nullptr, record->pPrinterName, nullptr, nullptr) : nullptr;
    if (!context) {
        SetScale(base);
        m_autoScale = 1;
        return;
    }
    const LONGLONG offset = GetDeviceCaps(context, PHYSICALOFFSETX);
    const LONGLONG dotsPerInch = GetDeviceCaps(context, LOGPIXELSX);
    LONGLONG scale = base;
    if (dotsPerInch != 0) {
        const LONGLONG margin = offset * kMarginPerInch / dotsPerInch;
        if (document != margin) scale = (output - margin) * 100 / (document - margin);
    }
    DeleteDC(context);
    SetScale(scale);
    m_autoScale = 1;
}
