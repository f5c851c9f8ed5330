// A resource object for the UI session's tests: strings and bitmaps from tables the test fills,
// an ini file name, and a count of the bitmaps asked for.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <win/windows.h>
#include <win/wingdi_raster.h>

#include "coresources.h"

class TableResources : public IDrvResources {
public:
    ~TableResources() override {
        for (auto& [id, bitmap] : m_made) DeleteObject(bitmap);
    }
    // A bitmap of the given pixels (COLORREFs, row by row) under the id.
    void AddBitmap(DWORD id, int width, int height, const std::vector<COLORREF>& pixels) {
        m_bitmaps[id] = Picture{width, height, pixels};
    }
    std::map<DWORD, std::u16string> m_strings;
    std::u16string m_ini;
    int m_bitmapLoads = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE LoadBitmap(DWORD id, HBITMAP* bitmap) override {
        ++m_bitmapLoads;
        auto it = m_bitmaps.find(id);
        if (it == m_bitmaps.end() || !bitmap) return E_FAIL;
        HDC dc = CreateCompatibleDC(nullptr);
        *bitmap = CreateBitmap(it->second.width, it->second.height, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, *bitmap);
        for (size_t i = 0; i < it->second.pixels.size(); ++i)
            SetPixel(dc, static_cast<int>(i % it->second.width), static_cast<int>(i / it->second.width), it->second.pixels[i]);
        SelectObject(dc, old);
        DeleteDC(dc);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LoadCursor(DWORD, HCURSOR* cursor) override {
        if (cursor) *cursor = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE LoadDialogTemplate(DWORD, LPCDLGTEMPLATEW*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LoadString(DWORD id, LPWSTR buffer, DWORD length) override {
        auto it = m_strings.find(id);
        if (it == m_strings.end() || !buffer || length == 0) return E_FAIL;
        const size_t count = std::min<size_t>(it->second.size(), length - 1);
        std::copy(it->second.begin(), it->second.begin() + static_cast<std::ptrdiff_t>(count), buffer);
        buffer[count] = u'\0';
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LoadLabelString(DWORD id, LPWSTR buffer, DWORD length) override {
        return LoadString(id, buffer, length);
    }
    int STDMETHODCALLTYPE MessageBox(HWND, DWORD, DWORD, UINT) override { return 0; }
    HMODULE STDMETHODCALLTYPE GetResourceModule() override { return nullptr; }
    HBITMAP STDMETHODCALLTYPE GetBitmap(DWORD) override { return nullptr; }
    HCURSOR STDMETHODCALLTYPE GetCursor(DWORD) override { return nullptr; }
    HICON STDMETHODCALLTYPE GetIcon(DWORD, DWORD) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE LoadIcon(DWORD, DWORD, HICON*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateDialogControls(DWORD, HWND, BOOL) override { return E_NOTIMPL; }
    LPCDLGTEMPLATEW STDMETHODCALLTYPE GetDialogTemplate(DWORD, BOOL) override { return nullptr; }
    LPWSTR STDMETHODCALLTYPE DuplicateString(DWORD) override { return nullptr; }
    LPVOID STDMETHODCALLTYPE GetRCData(DWORD) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE LoadRCData(DWORD, LPVOID*, DWORD*) override { return E_NOTIMPL; }
    LPCWSTR STDMETHODCALLTYPE GetDriverName() override { return nullptr; }
    LPCWSTR STDMETHODCALLTYPE GetResourceFileName() override { return nullptr; }
    LPCWSTR STDMETHODCALLTYPE GetHelpFileName() override { return nullptr; }
    LPCWSTR STDMETHODCALLTYPE GetIniFileName() override { return m_ini.empty() ? nullptr : m_ini.c_str(); }
    LPCWSTR STDMETHODCALLTYPE GetMdnFileName() override { return nullptr; }
    LPCWSTR STDMETHODCALLTYPE GetUIFileName() override { return nullptr; }
    LPCWSTR STDMETHODCALLTYPE GetPrintProcessorFileName() override { return nullptr; }
    HMODULE STDMETHODCALLTYPE GetResourceModule() const override { return nullptr; }
    const ModuleVersionTable* STDMETHODCALLTYPE GetModuleVersions() override { return nullptr; }
    const DRIVER_INFO_3W* STDMETHODCALLTYPE GetDriverInfo() override { return nullptr; }

private:
    struct Picture {
        int width;
        int height;
        std::vector<COLORREF> pixels;
    };
    std::map<DWORD, Picture> m_bitmaps;
    std::map<DWORD, HBITMAP> m_made;
};
