// Dialog templates from a resource library: the platform's reader and the resource provider's
// reader and rewriter. A rewrite of a template that reads must read again, with the same items.
#include <cstdlib>
#include <string>

#include "coresources_template.h"
#include "user/dialog_template.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t choice = input.Byte();
    const auto bytes = input.Rest();

    palvex::dlg::DialogTemplate dialog;
    const bool platformRead = palvex::dlg::ParseDialogTemplate(bytes.data(), bytes.size(), &dialog);

    DlgTemplateInfo info;
    const bool providerRead = ReadDlgTemplate(bytes.data(), bytes.size(), &info);
    if (providerRead != platformRead) std::abort();
    if (!providerRead) return 0;
    if (info.m_items.size() != dialog.items.size()) std::abort();

    DlgTemplateRewrite rewrite;
    rewrite.m_setTitle = choice & 1;
    rewrite.m_title = std::u16string(choice >> 2, u'T');
    rewrite.m_setFace = choice & 2;
    rewrite.m_faceName = u"MS UI Gothic";
    rewrite.m_addExStyle = 0x00400000;  // WS_EX_LAYOUTRTL
    static BYTE buffer[16384];
    size_t written = 0;
    if (!RewriteDlgTemplate(bytes.data(), bytes.size(), rewrite, buffer, sizeof buffer, &written)) return 0;
    if (written > sizeof buffer) std::abort();
    DlgTemplateInfo again;
    if (!ReadDlgTemplate(buffer, written, &again) || again.m_items.size() != info.m_items.size()) std::abort();
    return 0;
}
