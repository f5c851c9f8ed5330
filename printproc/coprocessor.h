// CoProcessor: the object behind the spooler's print-processor handle. It owns the datatype
// processor of the job and carries the job's pause and cancel state: a manual-reset event that
// is signalled while the job may run, and a state word (bit 0 cancelled, bit 1 paused).
#pragma once

#include <atomic>

#include "com_object.h"
#include "processor_interfaces.h"

class CoProcessor final : public ComObject<IProcessor> {
public:
    static constexpr DWORD kCancelled = 0x1;
    static constexpr DWORD kPaused = 0x2;

    CoProcessor() = default;
    CoProcessor(const CoProcessor&) = delete;
    CoProcessor& operator=(const CoProcessor&) = delete;

    // Creates the pause event (manual reset, signalled). False when it cannot be made.
    bool CreatePauseEvent();

    HRESULT STDMETHODCALLTYPE Control(DWORD command) override;
    HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData,
                                   IProcessor** processor) override;
    HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE WaitIfPaused() override;
    HRESULT STDMETHODCALLTYPE IsCancelled() override;
    HRESULT STDMETHODCALLTYPE CopyDevmode(const DEVMODEW* devmode, DEVMODEW** copy) override;
    HRESULT STDMETHODCALLTYPE GetPrinterDevmodeByName(LPCWSTR printerName, DEVMODEW** copy) override;
    HRESULT STDMETHODCALLTYPE GetPrinterDevmode(HANDLE printer, DEVMODEW** copy) override;
    HRESULT STDMETHODCALLTYPE GetPrinterInfoByName(LPCWSTR printerName, DWORD level, BYTE** info) override;
    HRESULT STDMETHODCALLTYPE GetPrinterInfo(HANDLE printer, DWORD level, BYTE** info) override;

    // The state word (kCancelled, kPaused).
    DWORD state() const { return m_state.load(); }

private:
    ~CoProcessor() override;

    HRESULT Resume();
    // Closes and releases the datatype processor, if there is one.
    void DropProcessor();

    HANDLE m_pauseEvent = nullptr;
    std::atomic<DWORD> m_state{0};
    IProcessorType* m_processor = nullptr;
};
