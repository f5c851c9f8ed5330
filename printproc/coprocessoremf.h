// CoProcessorEMF: prints a job of the "NT EMF" datatypes. Setup reads the job's layout settings
// into one set of job values; playback plans the order of the sheet sides, chooses one page-order
// strategy and plays the document once per copy pass through it.
#pragma once

#include <string>

#include "emf_job.h"
#include "gdi_interface.h"
#include "processor_interfaces.h"
#include "processor_type.h"
#include "settings_interface.h"
#include "sheet_plan.h"

class PrintSinglePageEMF;

class CoProcessorEMF final : public ProcessorType {
public:
    // *processor gets a new processor with one reference; it holds its own reference to owner.
    static HRESULT Create(IProcessor* owner, IProcessorType** processor);

    HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) override;
    // Sets the job up and plays it. A failed playback is reported (E_FAIL with the last error
    // kept) after the document and the spool file are cleaned up.
    HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) override;

    // Services of the strategies.
    // The default source and paper size that stand in for the job's form, written into a DEVMODE.
    void ApplyFormSubstitution(DEVMODEW* devmode) const;
    IProcessor* owner() const { return m_owner; }
    ISettings* settings() const { return m_settings; }
    const EmfJobValues& job() const { return m_job; }
    const std::u16string& printerName() const { return m_printerName; }
    const DEVMODEW* jobDevmode() const { return m_jobDevmode; }
    // dmPaperSize of the document's first page; -1 while unknown.
    short firstPageSize() const { return m_firstPageSize; }
    void setFirstPageSize(short paperSize) { m_firstPageSize = paperSize; }
    DWORD pageCount() const { return m_pageCount; }

    HRESULT SetupJob(LPCWSTR spoolDocumentName);
    HRESULT PlayDocument();

private:
    explicit CoProcessorEMF(IProcessor* owner);
    ~CoProcessorEMF() override;

    // Reads the printer's forms and decides the form substitution for the job DEVMODE's paper.
    void PrepareFormSubstitution();
    HRESULT ReadLayoutSettings(DEVMODEW* firstPage);
    // A job of one side prints simplex: duplex and manual duplex go off and the DC is reset.
    void DropManualDuplex(DEVMODEW* working);
    HRESULT SelectMethod();
    // A change of dmCopies on the DC for the passes that follow (skipped when already so).
    HRESULT SetDcCopies(DEVMODEW* working, short copies);
    // Sets the DC's copies to what the printer makes and answers how many passes the processor
    // plays itself.
    HRESULT ChooseCopies(DEVMODEW* working, DWORD* passes);
    HRESULT RunPasses(DEVMODEW* working, DWORD passes);
    // Cleans up after a failed playback and returns E_FAIL with the last error of the failure.
    HRESULT EndDocOnError();
    bool PaperListed(short paperSize) const;
    void DeleteSpoolHandle();
    bool PageCountKnown();

    ISettings* m_settings = nullptr;
    GDIInterface* m_gdi = nullptr;
    PrintSinglePageEMF* m_method = nullptr;

    EmfJobValues m_job;
    DWORD m_pageCount = 0;
    SheetPlan m_plan;
    DWORD m_duplexSides = 0;
    short m_firstPageSize = -1;
    short m_firstPageOrientation = 0;

    DEVMODEW* m_jobDevmode = nullptr;  // owned, from the process heap
    HDC m_dc = nullptr;
    HANDLE m_spool = nullptr;
    XFORM m_savedTransform{1, 0, 0, 1, 0, 0};
    bool m_transformSaved = false;
    bool m_docStarted = false;

    std::u16string m_printerName;
    std::u16string m_outputFile;
    std::u16string m_documentName;
    std::u16string m_spoolDocumentName;
    DWORD m_jobId = 0;

    bool m_useDefaultSource = false;
    short m_defaultSource = 0;
    short m_substitutePaper = 0;  // 0: none
};
