// Kept apart from the list's handler: the writers' record type and the sheet's are the same
// 104-byte record under two headers.
#include "custom_media_file.h"

#include <string>

#include "cmswriter.h"

HRESULT RewriteCustomMediaFile(HANDLE printer, const OPTTYPE* list) {
    if (!printer || !list) return E_INVALIDARG;
    CmsFileWriter writer;
    writer.m_printer = printer;
    if (!LoadCmsContext(&writer)) return E_FAIL;
    const std::u16string extension = DataFileExtension(writer.m_image.m_path);
    if (extension == u"GPD") return WriteGpdCustomMedia(&writer, list);
    if (extension == u"PPD") return WritePpdCustomMedia(&writer, list);
    return S_FALSE;
}
