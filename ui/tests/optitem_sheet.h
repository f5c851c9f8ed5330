// A sheet for the option-item framework's tests: a private heap, hand-made items in one array
// (as the universal driver lays them out), a factory of the kit's classes over them and observers
// that record what they are told.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "items/standard_handlers.h"
#include "sheet_factory.h"

namespace uitest {

class TestFactory final : public QORVAOptItemHandlerFactory {
public:
    using QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory;
    void CreateConstraints() override {}
    void ApplyDefaults() override {}
    void PrepareItems() override {}
};

// One notification as an observer saw it.
using Seen = std::tuple<char, DWORD, WORD, DWORD>;  // observer, id, code, depth

class Recorder : public QORVAOptItemNotify {
public:
    Recorder(char name, HANDLE heap, QORVAOptItemHandlerFactory* factory, std::vector<Seen>* log)
        : QORVAOptItemNotify(heap, factory), m_name(name), m_log(log) {}
    DWORD Notify(DWORD id, WORD code, DWORD depth) override {
        m_log->emplace_back(m_name, id, code, depth);
        if (m_action) m_action(id, code);
        return m_answer;
    }
    DWORD m_answer = 1;
    std::function<void(DWORD, WORD)> m_action;

private:
    char m_name;
    std::vector<Seen>* m_log;
};

// The driver's helper as far as the handlers use it: every DrvUpdateUISetting with the item's
// flags at the time of the call.
class RecordingDriverUI final : public IPrintOemDriverUI {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, LPCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, LPCSTR, LPCSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID item, DWORD, DWORD mode) override {
        m_calls.emplace_back(static_cast<POPTITEM>(item), static_cast<POPTITEM>(item)->Flags, mode);
        return S_OK;
    }
    std::vector<std::tuple<POPTITEM, DWORD, DWORD>> m_calls;
};

// An item of the kit keyed by key (100 or more) or a standard item (below 100), with count options
// of the type on the heap whose lParams are the values given (0, 1, 2... when none are given) and
// whose texts are the texts given (none when none are given).
inline LPWSTR HeapText(HANDLE heap, const std::u16string& text) {
    auto* copy = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (text.size() + 1) * sizeof(WCHAR)));
    std::copy(text.begin(), text.end(), copy);
    return copy;
}

inline OPTITEM MakeTestItem(HANDLE heap, DWORD key, BYTE type, WORD count, const std::vector<LPARAM>& values,
                            const std::vector<std::u16string>& texts = {}) {
    OPTITEM item{};
    item.cbSize = sizeof item;
    SplitKitKey(key, &item.DMPubID, &item.UserItemID);
    auto* optType = static_cast<POPTTYPE>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    optType->cbSize = sizeof(OPTTYPE);
    optType->Type = type;
    optType->Count = count;
    optType->pOptParam = static_cast<POPTPARAM>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * (count + 1)));
    for (WORD i = 0; i < count; ++i) {
        optType->pOptParam[i].cbSize = sizeof(OPTPARAM);
        optType->pOptParam[i].lParam = i < values.size() ? values[i] : i;
        if (i < texts.size()) optType->pOptParam[i].pData = HeapText(heap, texts[i]);
    }
    item.pOptType = optType;
    return item;
}

class SheetTest : public ::testing::Test {
protected:
    SheetTest() : m_heap(HeapCreate(0, 0, 0)) { m_items.reserve(32); }
    ~SheetTest() override {
        if (m_factory) m_factory->Destroy();
        if (m_extension) m_extension->Release();
        HeapDestroy(m_heap);
    }

    // An item of the kit keyed by key (100 or more) or a standard item (below 100), with count
    // options of the type whose lParams are the values given (0, 1, 2... when none are given).
    POPTITEM AddItem(DWORD key, BYTE type, WORD count, std::vector<LPARAM> values = {}) {
        m_items.push_back(MakeTestItem(m_heap, key, type, count, values));
        return &m_items.back();
    }
    // A 4-byte value behind an address, as the sheet's options hold one.
    LPARAM Behind(DWORD value) {
        auto* copy = static_cast<DWORD*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(DWORD)));
        *copy = value;
        return reinterpret_cast<LPARAM>(copy);
    }

    // The factory over the items added so far, with a handler for each.
    TestFactory* MakeFactory(DWORD uiType = 2, DWORD sheetMode = OEMCUIP_DOCPROP, IPrintOemDriverUI* driverUI = nullptr) {
        m_factory = MakeSheetFactory<TestFactory>(m_heap, m_items, m_record, m_extension, driverUI, uiType, sheetMode);
        return m_factory;
    }
    QORVAOptItemHandler* Handler(DWORD key) { return m_factory->FindHandler(key); }
    SIZE_T HeapUse() {
        HEAP_SUMMARY summary{};
        summary.cb = sizeof summary;
        EXPECT_TRUE(HeapSummary(m_heap, 0, &summary));
        return summary.cbAllocated;
    }

    HANDLE m_heap;
    std::vector<OPTITEM> m_items;
    OEMCUIPPARAM m_record{};
    CoUIPluginExt* m_extension = nullptr;
    TestFactory* m_factory = nullptr;
    std::vector<Seen> m_log;
};

}  // namespace uitest
