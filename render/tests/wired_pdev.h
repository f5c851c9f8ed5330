// The render plug-in's PDEV as its enable step leaves it, without a host: the model's hooks, a
// public DEVMODE of one simplex copy, the DEVOBJ, and the driver's helper keeping every spooled
// byte. Tests and benchmarks of the plug-in's output drive the PDEV directly.
#pragma once

#include <string>

#include <win/windows.h>

#include "model_hooks.h"
#include "oem_pdev.h"
#include "spool_capture.h"

namespace rendertest {

struct WiredPdev {
    WiredPdev() {
        FillModelHooks(&m_hooks);
        m_devmode.dmCopies = 1;
        m_devmode.dmDuplex = DMDUP_SIMPLEX;
        m_pdev.m_hooks = &m_hooks;
        m_pdev.m_helper = &m_spool;
        m_pdev.m_publicDevmode = &m_devmode;
        m_pdev.m_pdevobj = &m_devobj;
        m_devobj.pdevOEM = &m_pdev;
    }
    WiredPdev(const WiredPdev&) = delete;
    WiredPdev& operator=(const WiredPdev&) = delete;

    // A PCL XL page at 600 dpi whose text is drawn as graphics, with the watermark text on in
    // Arial at size points.
    void SetWatermarkPage(const std::u16string& text, WORD size) {
        m_devmode.dmFields = DM_YRESOLUTION;
        m_devmode.dmYResolution = 600;
        m_pdev.m_pdlType = 50;
        m_pdev.m_modeFlags = kModeTextAsGraphics;
        WatermarkSettings& watermark = m_pdev.m_layout.m_watermark;
        watermark.m_on = 1;
        watermark.m_text = text;
        watermark.m_font = u"Arial";
        watermark.m_size = size;
    }

    PluginHooks m_hooks;
    SpoolCapture m_spool;
    DEVMODEW m_devmode{};
    DEVOBJ m_devobj{};
    OemPdev m_pdev;
};

}  // namespace rendertest
