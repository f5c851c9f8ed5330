// A page of the driver's factory: a dialog made from a small template whose procedure is what the
// sheets give their pages (WM_INITDIALOG: the factory's InitDialog, which makes the drawing session
// and the links; every other message: the factory's DialogProc), over the driver sheet's items.
#pragma once

#include <filesystem>
#include <vector>

#include <cairo.h>

#include <palvex/machine.h>
#include <palvex/ui_script.h>

#include "dlglink_fixture.h"
#include "driver_sheet.h"

namespace uitest {

class DriverPageLinkTest : public DriverSheetTest {
protected:
    void TearDown() override {
        ClosePage();
        if (m_surface) cairo_surface_destroy(m_surface);
        DriverSheetTest::TearDown();
    }
    // The page with the controls; the factory is made first (MakeFactory).
    HWND OpenPage(const std::vector<TemplateControl>& controls) {
        ClosePage();
        m_template = BuildTemplate(controls);
        m_page = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data()), nullptr,
                                            FactoryPageProc, reinterpret_cast<LPARAM>(m_factory));
        return m_page;
    }
    void ClosePage() {
        if (m_page) DestroyWindow(m_page);
        m_page = nullptr;
    }
    HWND Item(int id) const { return GetDlgItem(m_page, id); }

    // The page as a person sees it (its owner-drawn controls painted through their links), kept for
    // Pixel; pixels are the page's client coordinates. The file goes into the test's own machine
    // folder, so that test programs running side by side never read each other's picture.
    void Picture(const char* name) {
        const std::filesystem::path png = palvex::MachineRoot() / name;
        palvex::WriteWindowPicture(m_page, png);
        if (m_surface) cairo_surface_destroy(m_surface);
        m_surface = cairo_image_surface_create_from_png(png.c_str());
        ASSERT_EQ(cairo_surface_status(m_surface), CAIRO_STATUS_SUCCESS);
    }
    COLORREF Pixel(int x, int y) const {
        // The picture is the whole window: equal borders left, right and below, the caption above.
        RECT client{};
        GetClientRect(m_page, &client);
        const int border = (cairo_image_surface_get_width(m_surface) - client.right) / 2;
        x += border;
        y += cairo_image_surface_get_height(m_surface) - client.bottom - border;
        const unsigned char* data = cairo_image_surface_get_data(m_surface);
        const uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(m_surface) + x * 4);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

    HWND m_page = nullptr;
    std::vector<WORD> m_template;
    cairo_surface_t* m_surface = nullptr;

};

}  // namespace uitest
