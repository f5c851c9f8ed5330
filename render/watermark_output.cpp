// The watermark's font download and drawing. The PCL XL writer they need is not in this module
// yet: until it is, no font reaches the printer, so no page is drawn on and there is no font state
// to release.
#include "watermark_output.h"

HRESULT EmitWatermark(OemPdev*) {
    return E_NOTIMPL;
}

HRESULT DrawWatermarkPage(OemPdev*) {
    return S_OK;
}

void ReleaseWatermarkState(OemPdev*) {}
