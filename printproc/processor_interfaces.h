// The print processor's object interfaces. The spooler's print-processor handle is an IProcessor
// (CoProcessor); behind it one IProcessorType prints the job's datatype.
#pragma once

#include <win/unknwn.h>
#include <win/windows.h>
#include <win/winsplp.h>

// The printer of one job and the datatype processor chosen for it. Besides the spooler's calls it
// offers the datatype processors the job's pause and cancel state and a few printer and DEVMODE
// services. DEVMODEs and information blocks it hands out come from the process heap; the caller
// frees them with HeapFree(GetProcessHeap(), 0, block).
struct IProcessor : IUnknown {
    // JOB_CONTROL_PAUSE, _RESUME or _CANCEL; 0 gives E_INVALIDARG, anything else E_FAIL with
    // ERROR_BAD_COMMAND.
    virtual HRESULT STDMETHODCALLTYPE Control(DWORD command) = 0;
    // Chooses the processor for the open data's datatype and opens it; *processor is this object
    // with an added reference.
    virtual HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData,
                                           IProcessor** processor) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) = 0;
    // Closes the datatype processor and releases the handle's reference.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    // Blocks while the job is paused; always S_OK.
    virtual HRESULT STDMETHODCALLTYPE WaitIfPaused() = 0;
    // S_OK when the job is cancelled, E_FAIL otherwise.
    virtual HRESULT STDMETHODCALLTYPE IsCancelled() = 0;
    // A copy of dmSize + dmDriverExtra bytes.
    virtual HRESULT STDMETHODCALLTYPE CopyDevmode(const DEVMODEW* devmode, DEVMODEW** copy) = 0;
    // A copy of the printer's default DEVMODE (PRINTER_INFO_8).
    virtual HRESULT STDMETHODCALLTYPE GetPrinterDevmodeByName(LPCWSTR printerName, DEVMODEW** copy) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrinterDevmode(HANDLE printer, DEVMODEW** copy) = 0;
    // GetPrinterW level 1 to 9 into a block of the size it asks for.
    virtual HRESULT STDMETHODCALLTYPE GetPrinterInfoByName(LPCWSTR printerName, DWORD level, BYTE** info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrinterInfo(HANDLE printer, DWORD level, BYTE** info) = 0;

protected:
    virtual ~IProcessor() = default;
};

// The processor of one datatype (EMF, RAW, TEXT). It holds a reference to its IProcessor from
// creation until its Close, through which it waits while paused, stops when cancelled and uses
// the DEVMODE services.
struct IProcessorType : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) = 0;
    // Drops the reference to the IProcessor.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;

protected:
    virtual ~IProcessorType() = default;
};
