// Kept apart from the list's handler: the writers' record type and the sheet's are the same
// 104-byte record under two headers.
#include "custom_media_file.h"

#include <string>

#include "cmswriter.h"

namespace {

// The text after the last '.' of a path, upper-cased (ASCII only: the kinds are ASCII).
std::u16string Extension(const std::u16string& path) {
    const size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos) return {};
    std::u16string extension = path.substr(dot + 1);
    for (char16_t& c : extension)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return extension;
}

}  // namespace

HRESULT RewriteCustomMediaFile(HANDLE printer, const OPTTYPE* list) {
    if (!printer || !list) return E_INVALIDARG;
    CmsFileWriter writer;
    writer.m_printer = printer;
    if (!LoadCmsContext(&writer)) return E_FAIL;
    const std::u16string extension = Extension(writer.m_image.m_path);
    if (extension == u"GPD") return WriteGpdCustomMedia(&writer, list);
    if (extension == u"PPD") return WritePpdCustomMedia(&writer, list);
    return S_FALSE;
}
