// When a page gets its watermark, and the order of the two halves of the work.
#include "oem_pdev.h"
#include "watermark_output.h"

bool WatermarkPassDue(const OemPdev* pdev) {
    if (!pdev) return false;
    const WatermarkSettings& watermark = pdev->m_layout.m_watermark;
    const bool drawable = (pdev->m_modeFlags & kModeTextAsGraphics) != 0 || watermark.m_mode == 2;
    return watermark.m_on == 1 && drawable && !watermark.m_text.empty();
}

void RunWatermarkPass(OemPdev* pdev) {
    if (!WatermarkPassDue(pdev)) return;
    if (SUCCEEDED(EmitWatermark(pdev))) DrawWatermarkPage(pdev);
}
