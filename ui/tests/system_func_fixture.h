// The system-functions object on the UI test printer, as a sheet has it: a sheet heap, the user
// interface's printer handle (use access only), the resource provider, the settings object and
// the compiled stored-settings and PRINTERFEATURE blocks.
#pragma once

#include <string>
#include <vector>

#include <palvex/printer_papers.h>

#include "drvstore.h"
#include "items/system_func.h"
#include "ui_fixture.h"

namespace uitest {

// Records what the stored watermark hands to the items, in order.
struct RecordedItems final : QORVAItemValueTarget {
    struct Call {
        DWORD key;
        LONG value;
        std::u16string text;  // set for SelectString
        bool isText;
        bool operator==(const Call&) const = default;
    };
    LONG SetItemValue(DWORD itemKey, LONG value) override {
        calls.push_back({itemKey, value, {}, false});
        return 1;
    }
    LONG SelectItemString(DWORD itemKey, LPCWSTR text) override {
        calls.push_back({itemKey, 0, text, true});
        return 1;
    }
    std::vector<Call> calls;
};

// An option item with its own option type, as the description gives one.
struct TestItem {
    OPTTYPE type{};
    OPTITEM item{};
    TestItem() {
        type.cbSize = sizeof(OPTTYPE);
        item.cbSize = sizeof(OPTITEM);
        item.pOptType = &type;
    }
    TestItem(const TestItem&) = delete;
    TestItem& operator=(const TestItem&) = delete;
    std::u16string Text(size_t i) const;
    bool Hidden(size_t i) const { return type.pOptParam[i].Flags & OPTPF_HIDE; }
};

class SystemFuncTest : public UiTest {
public:
    XprStore* Watermarks() { return m_watermarks.get(); }
    XprStore* Documents() { return m_documents.get(); }

protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh object over the current stores (after a store was reloaded, or a setting changed).
    QORVASystemFunc& Func();
    // The options of texts, made on the sheet heap (an option's value its position).
    void Fill(TestItem& item, const std::vector<std::u16string>& texts);
    // Reloads the blocks and the settings object from the printer's data.
    void Reload();


    // A user form as AddFormW takes it (imageable area the whole form).
    void AddForm(const std::u16string& name, LONG width, LONG height, DWORD flags = FORM_USER, LONG left = 0);
    // The "CUSTOMMEDIA" value of a name, or -1 when it is missing; its type into *type.
    LONG Mark(const std::u16string& name, DWORD* type = nullptr);
    void SetMark(const std::u16string& name, DWORD value);
    // The names of the machine's user forms, in enumeration order.
    std::vector<std::u16string> UserForms();
    // The value names under "CUSTOMMEDIA".
    std::vector<std::u16string> Marks();

    HANDLE m_heap = nullptr;
    HANDLE m_printer = nullptr;  // use access, as the user interface opens it
    IDrvResources* m_resources = nullptr;
    CoDrvSettings* m_settings = nullptr;
    OwnedStore m_watermarks;
    OwnedStore m_documents;
    OwnedStore m_features;
    RecordedItems m_items;
    std::unique_ptr<QORVASystemFunc> m_func;
};

}  // namespace uitest
