// CoProcessor: pause, resume and cancel across threads, and the printer and DEVMODE services.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include <palvex/printer_settings.h>

#include "coprocessor.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

struct ProcessorRelease {
    void operator()(CoProcessor* processor) const { processor->Release(); }
};
using ProcessorPtr = std::unique_ptr<CoProcessor, ProcessorRelease>;

ProcessorPtr NewProcessor() {
    auto* processor = new CoProcessor;
    processor->AddRef();
    EXPECT_TRUE(processor->CreatePauseEvent());
    return ProcessorPtr(processor);
}

TEST(CoProcessorControl, PauseHoldsTheWaiterUntilResume) {
    ProcessorPtr processor = NewProcessor();
    ASSERT_EQ(processor->Control(JOB_CONTROL_PAUSE), S_OK);
    EXPECT_EQ(processor->state(), CoProcessor::kPaused);
    std::atomic<bool> resumed{false};
    std::atomic<bool> sawResume{false};
    std::thread pageLoop([&] {
        processor->WaitIfPaused();
        sawResume = resumed.load();
    });
    resumed = true;
    ASSERT_EQ(processor->Control(JOB_CONTROL_RESUME), S_OK);
    pageLoop.join();
    EXPECT_TRUE(sawResume);
    EXPECT_EQ(processor->state(), 0u);
    EXPECT_EQ(processor->IsCancelled(), E_FAIL);
}

TEST(CoProcessorControl, CancelWakesAPausedJobForGood) {
    ProcessorPtr processor = NewProcessor();
    ASSERT_EQ(processor->Control(JOB_CONTROL_PAUSE), S_OK);
    std::atomic<bool> cancelled{false};
    std::atomic<bool> sawCancel{false};
    std::thread pageLoop([&] {
        processor->WaitIfPaused();
        sawCancel = cancelled.load() && processor->IsCancelled() == S_OK;
    });
    cancelled = true;
    ASSERT_EQ(processor->Control(JOB_CONTROL_CANCEL), S_OK);
    pageLoop.join();
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(processor->state(), CoProcessor::kCancelled);
    // Cancel stays; a later pause and resume do not undo it, and waiting no longer blocks.
    ASSERT_EQ(processor->Control(JOB_CONTROL_RESUME), S_OK);
    EXPECT_EQ(processor->IsCancelled(), S_OK);
    EXPECT_EQ(processor->WaitIfPaused(), S_OK);
    // A pause after the cancel does not hold the ending job either.
    ASSERT_EQ(processor->Control(JOB_CONTROL_PAUSE), S_OK);
    EXPECT_EQ(processor->WaitIfPaused(), S_OK);
    EXPECT_EQ(processor->IsCancelled(), S_OK);
}

TEST(CoProcessorControl, ResumeWithoutPauseChangesNothing) {
    ProcessorPtr processor = NewProcessor();
    EXPECT_EQ(processor->Control(JOB_CONTROL_RESUME), S_OK);
    EXPECT_EQ(processor->state(), 0u);
    EXPECT_EQ(processor->WaitIfPaused(), S_OK);
}

TEST(CoProcessorControl, RefusesOtherCommands) {
    ProcessorPtr processor = NewProcessor();
    SetLastError(12345);
    EXPECT_EQ(processor->Control(0), E_INVALIDARG);
    EXPECT_EQ(GetLastError(), 12345u);
    for (DWORD command : {4u, 5u, 7u, 0xFFFFFFFFu}) {
        SetLastError(0);
        EXPECT_EQ(processor->Control(command), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_COMMAND));
    }
    EXPECT_EQ(processor->state(), 0u);
}

TEST(CoProcessorObject, AnswersIUnknownOnly) {
    ProcessorPtr processor = NewProcessor();
    void* object = reinterpret_cast<void*>(1);
    ASSERT_EQ(processor->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(processor.get()));
    EXPECT_EQ(processor->Release(), 1u);
    const IID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    EXPECT_EQ(processor->QueryInterface(other, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(processor->AddRef(), 2u);
    EXPECT_EQ(processor->Release(), 1u);
}

TEST(CoProcessorObject, CloseOrPrintWithoutAProcessorFails) {
    ProcessorPtr processor = NewProcessor();
    EXPECT_EQ(processor->PrintDocument(u"doc"), E_FAIL);
    EXPECT_EQ(processor->PrintDocument(nullptr), E_POINTER);
    EXPECT_EQ(processor->Close(), E_FAIL);  // the object stays: the test's reference is still there
    EXPECT_EQ(processor->AddRef(), 2u);
    processor->Release();
}

TEST(CoProcessorObject, OpenGivesTheHandleItsReferenceAndCloseLetsEverythingGo) {
    palvex::TestMachine machine;  // the RAW processor opens its printer
    machine.AddPrinterWithDriver(u"Printer");
    auto* processor = new CoProcessor;
    processor->AddRef();
    ASSERT_TRUE(processor->CreatePauseEvent());
    std::u16string datatype = u"RAW";
    PRINTPROCESSOROPENDATA data{};
    data.pDatatype = datatype.data();
    IProcessor* handle = nullptr;
    ASSERT_EQ(processor->Open(u"Printer", &data, &handle), S_OK);
    EXPECT_EQ(handle, processor);
    // The creator's reference goes; the handle's and the datatype processor's stay.
    EXPECT_EQ(processor->Release(), 2u);
    // The leak check of the sanitizer build sees whether anything stays behind.
    EXPECT_EQ(handle->Close(), S_OK);
}

TEST(CoProcessorObject, AFailedOpenKeepsNoProcessor) {
    ProcessorPtr processor = NewProcessor();
    std::u16string datatype = u"PSCRIPT1";
    PRINTPROCESSOROPENDATA data{};
    data.pDatatype = datatype.data();
    IProcessor* handle = reinterpret_cast<IProcessor*>(1);
    SetLastError(0);
    EXPECT_EQ(processor->Open(u"Printer", &data, &handle), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
    EXPECT_EQ(handle, nullptr);
    data.pDatatype = nullptr;
    EXPECT_EQ(processor->Open(u"Printer", &data, &handle), E_FAIL);
    EXPECT_EQ(processor->Open(nullptr, &data, &handle), E_POINTER);
    EXPECT_EQ(processor->Open(u"Printer", nullptr, &handle), E_POINTER);
    EXPECT_EQ(processor->Open(u"Printer", &data, nullptr), E_POINTER);
    EXPECT_EQ(processor->PrintDocument(u"doc"), E_FAIL);  // still no datatype processor
    EXPECT_EQ(processor->AddRef(), 2u);                   // and no reference taken
    processor->Release();
}

// --- DEVMODE and printer services ---------------------------------------------------------------

class ProcessorServices : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        m_processor = NewProcessor();
    }
    palvex::TestMachine m_machine;
    ProcessorPtr m_processor;
};

TEST_F(ProcessorServices, CopiesTheWholeDevmode) {
    Devmode devmode;
    devmode.SetDword(at::kDocPageCount, 77);
    DEVMODEW* copy = reinterpret_cast<DEVMODEW*>(1);
    ASSERT_EQ(m_processor->CopyDevmode(devmode.get(), &copy), S_OK);
    const size_t size = 220 + 16 + kRecordSize;
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, copy), size);
    EXPECT_EQ(std::memcmp(copy, devmode.bytes().data(), size), 0);
    HeapFree(GetProcessHeap(), 0, copy);
    EXPECT_EQ(m_processor->CopyDevmode(nullptr, &copy), E_POINTER);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(m_processor->CopyDevmode(devmode.get(), nullptr), E_POINTER);
}

TEST_F(ProcessorServices, TakesThePrintersDefaultDevmode) {
    DEVMODEW* copy = reinterpret_cast<DEVMODEW*>(1);
    EXPECT_EQ(m_processor->GetPrinterDevmodeByName(kPrinter, &copy), E_POINTER);  // the printer has none
    EXPECT_EQ(copy, nullptr);
    Devmode devmode;
    devmode.SetDword(at::kFirstPageSize, 9);
    const std::vector<BYTE> bytes(devmode.bytes().begin(), devmode.bytes().begin() + 220 + 16 + kRecordSize);
    palvex::SetPrinterDevMode(kPrinter, bytes);
    ASSERT_EQ(m_processor->GetPrinterDevmodeByName(kPrinter, &copy), S_OK);
    EXPECT_EQ(std::vector<BYTE>(reinterpret_cast<BYTE*>(copy), reinterpret_cast<BYTE*>(copy) + bytes.size()), bytes);
    HeapFree(GetProcessHeap(), 0, copy);
    EXPECT_EQ(m_processor->GetPrinterDevmodeByName(nullptr, &copy), E_POINTER);
    EXPECT_EQ(m_processor->GetPrinterDevmodeByName(u"", &copy), E_INVALIDARG);
    EXPECT_EQ(m_processor->GetPrinterDevmodeByName(u"No Such Printer", &copy), E_FAIL);
    EXPECT_EQ(m_processor->GetPrinterDevmode(nullptr, &copy), E_INVALIDARG);
    EXPECT_EQ(m_processor->GetPrinterDevmode(INVALID_HANDLE_VALUE, &copy), E_INVALIDARG);
}

TEST_F(ProcessorServices, ReadsPrinterInformationOfEveryLevel) {
    for (DWORD level = 1; level <= 9; ++level) {
        if (level == 3) continue;  // needs READ_CONTROL, which the default access has not
        BYTE* info = nullptr;
        EXPECT_EQ(m_processor->GetPrinterInfoByName(kPrinter, level, &info), S_OK) << level;
        EXPECT_NE(info, nullptr);
        if (level == 2) {
            EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_2W*>(info)->pPrinterName), kPrinter);
        }
        HeapFree(GetProcessHeap(), 0, info);
    }
    BYTE* info = reinterpret_cast<BYTE*>(1);
    EXPECT_EQ(m_processor->GetPrinterInfoByName(kPrinter, 3, &info), E_FAIL);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(m_processor->GetPrinterInfoByName(kPrinter, 0, &info), E_INVALIDARG);
    EXPECT_EQ(m_processor->GetPrinterInfoByName(kPrinter, 10, &info), E_INVALIDARG);
    EXPECT_EQ(m_processor->GetPrinterInfoByName(kPrinter, 2, nullptr), E_POINTER);
    EXPECT_EQ(m_processor->GetPrinterInfoByName(u"", 2, &info), E_INVALIDARG);
    EXPECT_EQ(m_processor->GetPrinterInfo(nullptr, 2, &info), E_INVALIDARG);
}

}  // namespace
}  // namespace pptest
