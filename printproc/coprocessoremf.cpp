#include "coprocessoremf.h"

#include <cstring>
#include <new>
#include <vector>

#include <win/winspool.h>
#include <win/winspool_forms.h>

#include "form_substitution.h"
#include "kittrace.h"
#include "print_single_page_emf.h"

namespace {

void FreeDevmode(DEVMODEW*& devmode) {
    if (devmode) HeapFree(GetProcessHeap(), 0, devmode);
    devmode = nullptr;
}

}  // namespace

HRESULT CoProcessorEMF::Create(IProcessor* owner, IProcessorType** processor) {
    *processor = nullptr;
    CoProcessorEMF* made = new (std::nothrow) CoProcessorEMF(owner);
    if (!made) return E_OUTOFMEMORY;
    made->AddRef();
    *processor = made;
    return S_OK;
}

CoProcessorEMF::CoProcessorEMF(IProcessor* owner) : ProcessorType(owner) {}

CoProcessorEMF::~CoProcessorEMF() {
    DeleteSpoolHandle();
    FreeDevmode(m_jobDevmode);
    delete m_method;
    delete m_gdi;
    if (m_settings) m_settings->Release();
}

void CoProcessorEMF::DeleteSpoolHandle() {
    // The handle goes once, whether playback failed or the object goes.
    if (!m_spool) return;
    const DWORD error = GetLastError();
    if (m_gdi) m_gdi->GDIDeleteSpoolFileHandle(m_spool);
    else GdiDeleteSpoolFileHandle(m_spool);
    SetLastError(error);
    m_spool = nullptr;
    m_dc = nullptr;
}

HRESULT CoProcessorEMF::Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) {
    if (!printerName || !*printerName) return E_INVALIDARG;
    if (!openData) return E_POINTER;
    if (!m_settings && FAILED(CreateSettings(&m_settings, printerName))) {
        m_settings = nullptr;
        return E_FAIL;
    }
    if (!m_gdi) m_gdi = new (std::nothrow) GDIInterface;
    if (!m_gdi) return E_FAIL;
    m_printerName = printerName;
    m_outputFile = openData->pOutputFile ? openData->pOutputFile : u"";
    m_documentName = openData->pDocumentName ? openData->pDocumentName : u"";
    m_jobId = openData->JobId;
    FreeDevmode(m_jobDevmode);
    if (!openData->pDevMode || FAILED(m_owner->CopyDevmode(openData->pDevMode, &m_jobDevmode))) {
        m_jobDevmode = nullptr;
        if (FAILED(m_owner->GetPrinterDevmodeByName(printerName, &m_jobDevmode))) {
            m_jobDevmode = nullptr;
            return E_FAIL;
        }
    }
    return S_OK;
}


HRESULT CoProcessorEMF::PrintDocument(LPCWSTR documentName) {
    if (!documentName || !*documentName) return E_INVALIDARG;
    if (!m_owner || !m_jobDevmode || !m_settings) return E_FAIL;
    if (FAILED(SetupJob(documentName))) return E_FAIL;
    const WORD collate = m_job.collate;
    const BYTE booklet = m_job.bookletOn;
    const HRESULT played = PlayDocument();
    m_job.collate = collate;
    m_job.bookletOn = booklet;
    if (FAILED(played)) {
        // A cancelled job ends here by the spooler's wish; anything else is a job that did not
        // print, and the spooler must hear so.
        if (m_owner->IsCancelled() == S_OK) return S_OK;
        return E_FAIL;
    }
    return S_OK;
}

void CoProcessorEMF::ApplyFormSubstitution(DEVMODEW* devmode) const {
    if (!devmode) return;
    if (m_useDefaultSource && DEVMODE_HAS(devmode, dmDefaultSource)) devmode->dmDefaultSource = m_defaultSource;
    if (m_substitutePaper && DEVMODE_HAS(devmode, dmPaperSize)) devmode->dmPaperSize = m_substitutePaper;
}

void CoProcessorEMF::PrepareFormSubstitution() {
    m_useDefaultSource = false;
    m_substitutePaper = 0;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(m_printerName.c_str()), &printer, nullptr)) return;
    DWORD needed = 0, count = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    const bool listed = needed && EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count);
    ClosePrinter(printer);
    if (!listed || count > buffer.size() / sizeof(FORM_INFO_1W)) return;
    std::vector<FormSize> forms(count);
    for (DWORD i = 0; i < count; ++i) {
        FORM_INFO_1W form;
        std::memcpy(&form, buffer.data() + i * sizeof form, sizeof form);
        forms[i] = FormSize{form.Flags, form.Size.cx, form.Size.cy};
    }
    const FormSubstitution substitution = DecideFormSubstitution(forms, m_jobDevmode->dmPaperSize);
    if (substitution.useDefaultSource) {
        m_useDefaultSource = true;
        m_defaultSource = DMBIN_MANUAL;
    }
    m_substitutePaper = substitution.substitutePaper;
}

bool CoProcessorEMF::PaperListed(short paperSize) const {
    const int count = DeviceCapabilitiesW(m_printerName.c_str(), nullptr, DC_PAPERS, nullptr, nullptr);
    if (count <= 0) return false;
    std::vector<WORD> papers(static_cast<size_t>(count));
    if (DeviceCapabilitiesW(m_printerName.c_str(), nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()),
                            nullptr) <= 0)
        return false;
    for (WORD paper : papers)
        if (paper == static_cast<WORD>(paperSize)) return true;
    return false;
}

HRESULT CoProcessorEMF::SetupJob(LPCWSTR spoolDocumentName) {
    m_job = EmfJobValues{};
    m_spoolDocumentName = spoolDocumentName;
    m_defaultSource = m_jobDevmode->dmDefaultSource;
    PrepareFormSubstitution();
    ApplyFormSubstitution(m_jobDevmode);
    if ((m_jobDevmode->dmFields & DM_COLLATE) && DEVMODE_HAS(m_jobDevmode, dmCollate))
        m_job.collate = static_cast<WORD>(m_jobDevmode->dmCollate);
    if ((m_jobDevmode->dmFields & DM_DUPLEX) && m_jobDevmode->dmDuplex != 1)
        m_job.duplex = static_cast<WORD>(m_jobDevmode->dmDuplex);

    if (!m_spool) {
        if (FAILED(m_gdi->GDIGetSpoolFileHandle(m_printerName.c_str(), m_jobDevmode, spoolDocumentName, &m_spool,
                                                &m_dc)))
            return E_FAIL;
    }

    DEVMODEW* firstPage = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(m_gdi->GDIGetDevmodeForPage(m_spool, 1, &firstPage, &previous))) firstPage = m_jobDevmode;
    ApplyFormSubstitution(firstPage);
    if (firstPage != m_jobDevmode && DEVMODE_HAS(firstPage, dmPaperSize)) m_firstPageSize = firstPage->dmPaperSize;
    if (FAILED(m_settings->Validate(m_jobDevmode)) || !PaperListed(m_jobDevmode->dmPaperSize)) {
        DEVMODEW* printerDefault = nullptr;
        if (FAILED(m_owner->GetPrinterDevmodeByName(m_printerName.c_str(), &printerDefault))) return E_FAIL;
        FreeDevmode(m_jobDevmode);
        m_jobDevmode = printerDefault;
        if (m_firstPageSize != -1) m_settings->SetFirstPageSize(m_jobDevmode, static_cast<DWORD>(m_firstPageSize));
        if (!GdiResetDCEMF(m_spool, m_jobDevmode)) return E_FAIL;
        SetGraphicsMode(m_dc, GM_ADVANCED);
        firstPage = m_jobDevmode;
    }
    m_firstPageOrientation = DEVMODE_HAS(firstPage, dmOrientation) ? firstPage->dmOrientation : 0;
    return ReadLayoutSettings(firstPage);
}

HRESULT CoProcessorEMF::ReadLayoutSettings(DEVMODEW* firstPage) {
    EmfJobValues& job = m_job;
    if ((firstPage->dmFields & DM_COPIES) && DEVMODE_HAS(firstPage, dmCopies)) {
        job.copies = static_cast<WORD>(firstPage->dmCopies);
        m_jobDevmode->dmCopies = firstPage->dmCopies;
    }
    if ((firstPage->dmFields & DM_COLLATE) && DEVMODE_HAS(firstPage, dmCollate)) {
        job.collate = static_cast<WORD>(firstPage->dmCollate);
        job.flags |= emfjob::kCollate;
    }
    if (job.copies == 1 && job.collate == 1) {
        firstPage->dmFields &= ~DM_COLLATE;
        if (DEVMODE_HAS(firstPage, dmCollate)) firstPage->dmCollate = 0;
        job.collate = 0;
        job.flags &= ~emfjob::kCollate;
    }
    if (FAILED(m_settings->GetPDLType(m_jobDevmode, &job.pdlType)) || job.pdlType == 0) return E_FAIL;
    const bool postScript = job.pdlType >= 20 && job.pdlType <= 29;

    if ((firstPage->dmFields & DM_DUPLEX) && firstPage->dmDuplex != 1) {
        job.duplex = static_cast<WORD>(firstPage->dmDuplex);
        if (FAILED(m_settings->GetDuplexType(m_jobDevmode, &job.manualDuplexType))) return E_FAIL;
        if (job.manualDuplexType == 2) job.flags |= emfjob::kManualDuplex2;
        else if (job.manualDuplexType == 3) job.flags |= emfjob::kManualDuplex3;
        else job.manualDuplexType = 0;
    }
    if (FAILED(m_settings->GetPageOrder(m_jobDevmode, &job.pageOrder))) return E_FAIL;
    job.flags |= job.pageOrder == 1 ? emfjob::kReverse : emfjob::kForward;

    auto bookletSetup = [&] {
        job.nupOn = 0;
        job.nupPages = 2;
        job.nupBorder = 0;
        job.nupOrder = 0;
        if (job.duplex != 2) {
            m_jobDevmode->dmFields |= DM_DUPLEX;
            m_jobDevmode->dmDuplex = 2;
            job.duplex = 2;
        }
        job.flags = (job.flags & ~emfjob::kReverse) | emfjob::kBooklet;
    };
    if (FAILED(m_settings->GetBooklet(m_jobDevmode, &job.bookletOn, &job.bookletKind))) return E_FAIL;
    // dmNup is read only when the page's DEVMODE is long enough to hold it.
    const DWORD nup = DEVMODE_HAS(firstPage, dmNup) ? firstPage->dmNup : DMNUP_SYSTEM;
    if (job.bookletOn) {
        bookletSetup();
    } else if (nup == DMNUP_SYSTEM) {
        if (FAILED(m_settings->GetNup(m_jobDevmode, &job.nupOn, &job.nupPages, &job.nupBorder, &job.nupOrder)))
            return E_FAIL;
        if (!job.nupOn || job.nupPages == 0) job.nupPages = 1;
    }
    job.nupRequested = job.nupOn;
    if (FAILED(m_settings->GetDeviceType(m_jobDevmode, &job.deviceType)) || job.deviceType == 0) return E_FAIL;

    if (FAILED(m_settings->GetScaling(m_jobDevmode, &job.scalingOn, &job.scalingSize, &job.scalingToFit,
                                      &job.scalingFactor)))
        return E_FAIL;
    if (job.scalingOn || job.scalingFactor != 100) {
        job.nupOn = 0;
        job.nupPages = 1;
        job.nupBorder = 1;
        job.nupOrder = 0;
        job.bookletOn = 0;
        job.bookletKind = 0;
        if (job.pdlType >= 30 && job.pdlType <= 59 && job.scalingOn) job.scalingFactor = 100;
    }
    // The buffers are sized in bytes.
    if (FAILED(m_settings->GetWatermark(m_jobDevmode, &job.watermark, job.watermarkText, sizeof job.watermarkText,
                                        job.watermarkFont, sizeof job.watermarkFont)))
        return E_FAIL;
    job.watermarkRequested = job.watermark.enabled;
    if (FAILED(m_settings->GetBinding(m_jobDevmode, &job.bindingOn, &job.bindingDirect, &job.bindingShift,
                                      &job.bindingMargin)) ||
        FAILED(m_settings->GetDateTime(m_jobDevmode, &job.dateOn, &job.dateFirstPageOnly, job.dateText,
                                       sizeof job.dateText, &job.datePosition)) ||
        FAILED(m_settings->GetGrayscale(m_jobDevmode, &job.grayscale)))
        return E_FAIL;
    if (job.pdlType >= 10 && job.pdlType <= 12) job.graphicsMode = 0;
    else if (FAILED(m_settings->GetGraphicsMode(m_jobDevmode, &job.graphicsMode))) return E_FAIL;
    job.flags |= emfjob::kGraphicsRead | (job.graphicsMode == 0 ? emfjob::kGraphicsOff : emfjob::kGraphicsOn);
    if (FAILED(m_settings->GetRotated(m_jobDevmode, &job.rotated))) return E_FAIL;
    // Rotation is refused for every job whose graphics mode was read, which is every job.
    job.rotated = 0;
    if (FAILED(m_settings->GetPoster(m_jobDevmode, &job.posterTiles, &job.posterCrop)) ||
        FAILED(m_settings->GetPaperCollatedCopies(m_jobDevmode, &job.printerCollated)))
        return E_FAIL;
    if (postScript) {
        if (job.bookletOn) {
            bookletSetup();
        } else {
            job.flags &= ~(emfjob::kBooklet | emfjob::kManualDuplex);
            job.bookletOn = 0;
            job.nupOn = 0;
            job.nupPages = 1;
            job.duplex = 1;
            job.manualDuplexType = 0;
        }
        job.scalingOn = 0;
        job.scalingFactor = 100;
        job.watermark = WatermarkSettings{};
        std::memset(job.watermarkText, 0, sizeof job.watermarkText);
        std::memset(job.watermarkFont, 0, sizeof job.watermarkFont);
        job.flags &= ~emfjob::kRotated;
    }
    if (!SetGraphicsMode(m_dc, GM_ADVANCED) || !GetWorldTransform(m_dc, &m_savedTransform)) return E_FAIL;
    m_transformSaved = true;
    return S_OK;
}

bool CoProcessorEMF::PageCountKnown() {
    if (m_pageCount) return true;
    DWORD count = 0;
    if (FAILED(m_gdi->GDIGetPageCount(m_spool, &count)) || count == 0) return false;
    m_pageCount = count;
    return true;
}

void CoProcessorEMF::DropManualDuplex(DEVMODEW* working) {
    m_job.manualDuplexType = 0;
    m_job.flags &= ~emfjob::kManualDuplex;
    m_job.duplex = 1;
    working->dmDuplex = 1;
    const DWORD fields = working->dmFields;
    working->dmFields |= DM_DUPLEX;
    ResetDCW(m_dc, working);
    working->dmFields = fields;
    SetGraphicsMode(m_dc, GM_ADVANCED);
    m_duplexSides = 0;
}

HRESULT CoProcessorEMF::PlayDocument() {
    if (!m_spool || !m_dc) return E_FAIL;
    if (m_job.copies == 0) return S_OK;
    m_pageCount = 0;
    m_plan = SheetPlan{};
    m_docStarted = false;
    DEVMODEW* working = nullptr;
    if (FAILED(m_owner->CopyDevmode(m_jobDevmode, &working))) return EndDocOnError();
    struct Free {
        DEVMODEW*& devmode;
        ~Free() { FreeDevmode(devmode); }
    } freeWorking{working};

    if ((working->dmFields & DM_COLLATE) && working->dmCollate == 1 && m_job.copies > 1 && !PageCountKnown()) {
        working->dmFields &= ~DM_COLLATE;
        working->dmCollate = 0;
        m_job.collate = 0;
        m_job.flags &= ~emfjob::kCollate;
    }
    m_duplexSides = m_job.duplex == 1 ? 0 : (working->dmDuplex == DMDUP_HORIZONTAL ? 2 : 1);
    if (m_job.manualDuplex() && !PageCountKnown()) return EndDocOnError();
    if (m_job.bookletOn) {
        if (m_job.duplex == 1) {
            m_job.bookletOn = 0;
            m_job.nupPages = 1;
            m_job.flags &= ~emfjob::kBooklet;
        } else {
            m_job.nupPages = 2;
        }
    }
    if ((m_job.flags & emfjob::kReverse) || m_job.bookletOn || m_job.manualDuplex()) {
        if (!PageCountKnown()) return EndDocOnError();
        SheetPlanRequest request;
        request.pageCount = m_pageCount;
        request.nupPages = m_job.nupPages ? m_job.nupPages : 1;
        request.reverse = (m_job.flags & emfjob::kReverse) != 0;
        request.manualDuplex = m_job.manualDuplex();
        request.duplex = m_job.duplex != 1 && !m_job.manualDuplex();
        request.booklet = m_job.bookletOn != 0;
        request.bookletKind = m_job.bookletKind;
        request.pageOrder = m_job.pageOrder;
        request.shortEdge = working->dmDuplex == DMDUP_HORIZONTAL;
        if (FAILED(PlanSheetOrder(request, &m_plan))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return EndDocOnError();
        }
        if (!m_job.bookletOn && m_plan.sides.size() == 1) DropManualDuplex(working);
    }
    const bool watermarkNeedsCount =
        m_job.watermark.enabled && (m_job.watermark.mode == 2 || (m_job.flags & emfjob::kGraphicsOff));
    if (watermarkNeedsCount) {
        if (!PageCountKnown()) return EndDocOnError();
        m_job.watermark.enabled = 0;
    }
    if (m_job.pdlType >= 20 && m_job.pdlType <= 29 && (m_job.nupRequested || m_job.watermarkRequested) &&
        !PageCountKnown())
        return EndDocOnError();
    if (m_pageCount) {
        m_settings->SetDocPageCount(working, m_pageCount);
        if (!ResetDCW(m_dc, working)) return EndDocOnError();
        SetGraphicsMode(m_dc, GM_ADVANCED);
    }
    XFORM current;
    if (!SetGraphicsMode(m_dc, GM_ADVANCED) || !GetWorldTransform(m_dc, &current)) return EndDocOnError();
    if (FAILED(SelectMethod())) return EndDocOnError();
    m_method->ClearBindingAdjustRect();

    // The DC learns how many copies the printer makes before the document starts: the driver
    // sends the job's copy count with the document's start.
    DWORD passes = 1;
    if (FAILED(ChooseCopies(working, &passes))) return EndDocOnError();
    if (FAILED(m_gdi->GDIStartDoc(m_spool, m_documentName.c_str(), m_outputFile.empty() ? nullptr : m_outputFile.c_str())))
        return EndDocOnError();
    m_docStarted = true;
    if (FAILED(RunPasses(working, passes))) return EndDocOnError();
    m_docStarted = false;
    if (FAILED(m_gdi->GDIEndDoc(m_spool))) return EndDocOnError();
    m_plan = SheetPlan{};
    return S_OK;
}

HRESULT CoProcessorEMF::SelectMethod() {
    delete m_method;
    m_method = nullptr;
    const bool manual = m_job.manualDuplex();
    if (m_job.posterTiles > 0) m_method = new (std::nothrow) MethodPrintPosterEMF;
    else if (m_job.bookletOn && manual) m_method = new (std::nothrow) MethodPrintManDuplexBookletEMF;
    else if (m_job.bookletOn) m_method = new (std::nothrow) MethodPrintBookletEMF;
    else if ((m_job.flags & emfjob::kReverse) && manual) m_method = new (std::nothrow) MethodPrintManDuplexEMF;
    else if (m_job.flags & emfjob::kReverse) {
        if (m_job.nupPages <= 1) m_method = new (std::nothrow) MethodPrintReverseForDriverEMF;
        else m_method = new (std::nothrow) MethodPrintReverseEMF;
    } else if (manual) m_method = new (std::nothrow) MethodPrintManDuplexEMF;
    else m_method = new (std::nothrow) MethodPrintForwardEMF;
    if (!m_method) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return E_FAIL;
    }
    return m_method->Prepare(this, m_spool, m_dc, m_gdi, m_job.copies, m_job.collate, m_job.duplex,
                             m_job.manualDuplexType, static_cast<DWORD>(m_plan.sides.size()));
}

HRESULT CoProcessorEMF::SetDcCopies(DEVMODEW* working, short copies) {
    if ((working->dmFields & DM_COPIES) && working->dmCopies == copies) return S_OK;
    working->dmCopies = copies;
    const DWORD fields = working->dmFields;
    working->dmFields |= DM_COPIES;
    const BOOL reset = ResetDCW(m_dc, working) != nullptr;
    working->dmFields = fields;
    SetGraphicsMode(m_dc, GM_ADVANCED);
    return reset ? S_OK : E_FAIL;
}

HRESULT CoProcessorEMF::ChooseCopies(DEVMODEW* working, DWORD* passes) {
    *passes = 1;
    const short copies = static_cast<short>(m_job.copies);
    if (m_job.manualDuplex()) {
        // The manual-duplex strategy plays every side as many times as there are copies itself:
        // the printer makes one of each, or the copies would multiply.
        return SetDcCopies(working, 1);
    }
    if (m_job.pdlType != 10 && m_job.pdlType != 11) {
        if (m_job.collate == 1 && m_job.printerCollated == 1) {
            *passes = m_job.copies;
            return SetDcCopies(working, 1);
        }
        return SetDcCopies(working, copies);
    }
    if (m_job.collate == 1) {
        *passes = m_job.copies;
        return SetDcCopies(working, 1);
    }
    return S_OK;
}

HRESULT CoProcessorEMF::RunPasses(DEVMODEW* working, DWORD passes) {
    EmfPass pass;
    pass.devmode = working;
    pass.pageCount = m_pageCount;
    pass.order = &m_plan.order;
    pass.paddedCount = m_plan.paddedCount;
    pass.duplexSides = m_duplexSides;
    pass.sides = &m_plan.sides;
    for (DWORD copy = 0; copy < passes; ++copy) {
        pass.copyPass = copy;
        if (FAILED(m_method->PrintDocument(pass))) return E_FAIL;
    }
    return S_OK;
}

HRESULT CoProcessorEMF::EndDocOnError() {
    DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_INVALID_DATA;
    DebugTrace(1, u"%s: err=[%d]\n", u"CoProcessorEMF::EndDocOnError", error);
    if (m_docStarted && m_spool) m_gdi->GDIEndDoc(m_spool);
    m_docStarted = false;
    if (m_transformSaved && m_dc) SetWorldTransform(m_dc, &m_savedTransform);
    m_transformSaved = false;
    m_plan = SheetPlan{};
    DeleteSpoolHandle();
    SetLastError(error);
    return E_FAIL;
}
