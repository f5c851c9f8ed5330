// Stored item-set texts (quick settings and watermark presets) as the sheet loads them: any text
// (the input's bytes as UTF-16 units) applied to a sheet of every kind of item a set reaches. The
// apply stays inside the text and the items' buffers, gives the text back as it was, leaves every
// item on a value it can hold, keeps the hidden paper sources hidden and unselected, and the set
// saved from the items loads back to the same selections.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "sheet_factory.h"
#include "items/heap_object.h"
#include "items/item_key.h"
#include "items/optitem_handler.h"
#include "items/stored_set.h"

namespace {

class SetFactory final : public QORVAOptItemHandlerFactory {
public:
    using QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory;
    void CreateConstraints() override {}
    void ApplyDefaults() override {}
    void PrepareItems() override {}
};

constexpr DWORD kPaperSource = 4;  // standard items
constexpr DWORD kList = 9;
constexpr DWORD kMediaType = 12;
constexpr DWORD kValues = 300;  // the kit's items
constexpr DWORD kFonts = 301;
constexpr DWORD kEdit = 302;
constexpr DWORD kNumber = 400;
constexpr DWORD kCheck = 401;
constexpr DWORD kKeys[] = {kPaperSource, kList, kMediaType, kValues, kFonts, kEdit, kNumber, kCheck};

constexpr WORD kEditLimit = 6;           // characters with the terminator
constexpr WCHAR kGuard = u'#';           // the two units after the edit buffer
constexpr LONG kNumberLimits[] = {0, 500};

// One sheet on its own heap: the items, their handlers and the edit box's buffer.
class Sheet {
public:
    Sheet() : m_heap(HeapCreate(0, 0, 0)) {
        if (!m_heap) std::abort();
        m_items.reserve(16);
        POPTITEM paper = Add(kPaperSource, TVOT_COMBOBOX, 4);
        paper->pOptType->pOptParam[1].Flags = OPTPF_HIDE;
        paper->pOptType->pOptParam[3].Flags = OPTPF_HIDE;
        Add(kList, TVOT_COMBOBOX, 4);
        Add(kMediaType, TVOT_COMBOBOX, 3)->pOptType->pOptParam[1].Flags = OPTPF_HIDE;
        Add(kValues, TVOT_COMBOBOX, 3, {Behind(0x00FF0000), Behind(70000), 2});
        static WCHAR arial[] = u"Arial", gothic[] = u"IPAGothic";
        POPTITEM fonts = Add(kFonts, TVOT_COMBOBOX, 2, {reinterpret_cast<LPARAM>(arial), reinterpret_cast<LPARAM>(gothic)});
        fonts->pOptType->pOptParam[0].pData = arial;
        fonts->pOptType->pOptParam[1].pData = gothic;
        POPTITEM edit = Add(kEdit, TVOT_EDITBOX, 2);
        edit->pOptType->pOptParam[1].IconID = kEditLimit - 1;
        m_editBuffer = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (kEditLimit + 2) * sizeof(WCHAR)));
        if (!m_editBuffer) std::abort();
        m_editBuffer[kEditLimit] = m_editBuffer[kEditLimit + 1] = kGuard;
        edit->pSel = m_editBuffer;
        Add(kNumber, TVOT_UDARROW, 2, {kNumberLimits[0], kNumberLimits[1]});
        Add(kCheck, TVOT_CHKBOX, 1);

        m_factory = uitest::MakeSheetFactory<SetFactory>(m_heap, m_items, m_record, m_extension);
        if (!m_factory) std::abort();
    }
    ~Sheet() {
        m_factory->Destroy();
        m_extension->Release();
        HeapDestroy(m_heap);
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    QORVAOptItemHandler* Handler(DWORD key) {
        QORVAOptItemHandler* handler = m_factory->FindHandler(key);
        if (!handler) std::abort();
        return handler;
    }
    DWORD Apply(LPWSTR text) {
        StoredSetApply record{m_factory, text};
        return ApplyStoredSet(&record);
    }
    // The set the items save, as the quick settings save it.
    std::u16string Saved() {
        StoredItemSet set{m_heap, nullptr, nullptr, 0, 0};
        for (DWORD key : kKeys) Handler(key)->QSave(&set);
        std::u16string text = set.m_text ? std::u16string(set.m_text, set.m_used) : std::u16string();
        FreeStoredSet(&set);
        return text;
    }
    // Every item on a value it can hold, the edit box's text inside its buffer.
    void CheckItems() {
        if (m_editBuffer[kEditLimit] != kGuard || m_editBuffer[kEditLimit + 1] != kGuard) std::abort();
        if (std::char_traits<char16_t>::find(m_editBuffer, kEditLimit, 0) == nullptr) std::abort();
        for (DWORD key : {kPaperSource, kList, kMediaType, kValues, kFonts}) {
            const LONG selection = Handler(key)->GetSel();
            if (selection < 0 || selection >= Handler(key)->GetOptionCount()) std::abort();
        }
        const LONG number = Handler(kNumber)->GetSel();
        if (number < kNumberLimits[0] || number > kNumberLimits[1]) std::abort();
        // The hidden paper sources stay hidden, and neither is left selected.
        QORVAOptItemHandler* paper = Handler(kPaperSource);
        for (LONG hidden : {1, 3})
            if (!(paper->GetOptionFlags(hidden) & OPTPF_HIDE) || paper->GetSel() == hidden) std::abort();
    }
    std::vector<LONG> Selections() {
        std::vector<LONG> selections;
        for (DWORD key : kKeys)
            if (key != kEdit) selections.push_back(Handler(key)->GetSel());  // the edit box: its text
        return selections;
    }
    std::u16string EditText() const { return m_editBuffer; }

private:
    POPTITEM Add(DWORD key, BYTE type, WORD count, const std::vector<LPARAM>& values = {}) {
        OPTITEM item{};
        item.cbSize = sizeof item;
        SplitKitKey(key, &item.DMPubID, &item.UserItemID);
        auto* optType = static_cast<POPTTYPE>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
        auto* params = static_cast<POPTPARAM>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * (count + 1)));
        if (!optType || !params) std::abort();
        optType->cbSize = sizeof(OPTTYPE);
        optType->Type = type;
        optType->Count = count;
        optType->pOptParam = params;
        for (WORD i = 0; i < count; ++i) {
            params[i].cbSize = sizeof(OPTPARAM);
            params[i].lParam = i < values.size() ? values[i] : i;
        }
        item.pOptType = optType;
        m_items.push_back(item);
        return &m_items.back();
    }
    LPARAM Behind(DWORD value) {
        auto* copy = static_cast<DWORD*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(DWORD)));
        if (!copy) std::abort();
        *copy = value;
        return reinterpret_cast<LPARAM>(copy);
    }

    HANDLE m_heap;
    std::vector<OPTITEM> m_items;
    OEMCUIPPARAM m_record{};
    CoUIPluginExt* m_extension = nullptr;
    SetFactory* m_factory = nullptr;
    LPWSTR m_editBuffer = nullptr;
};

// The text in a buffer of exactly its size with the terminator, so that a read past it is caught.
std::unique_ptr<WCHAR[]> ExactCopy(const std::u16string& text) {
    auto copy = std::make_unique<WCHAR[]>(text.size() + 1);
    std::memcpy(copy.get(), text.data(), text.size() * sizeof(WCHAR));
    copy[text.size()] = 0;
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, 0);
    std::memcpy(text.data(), data, text.size() * 2);
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);  // the text ends at its first NUL

    Sheet sheet;
    auto applied = ExactCopy(text);
    const DWORD result = sheet.Apply(applied.get());
    if (result > 1) std::abort();
    if (std::u16string(applied.get()) != text) std::abort();  // every entry's end is put back
    sheet.CheckItems();

    // What the items hold now is saved, and loads back onto another sheet unchanged.
    const std::u16string saved = sheet.Saved();
    Sheet again;
    auto reloaded = ExactCopy(saved);
    again.Apply(reloaded.get());
    again.CheckItems();
    if (again.Selections() != sheet.Selections() || again.EditText() != sheet.EditText()) std::abort();
    return 0;
}
