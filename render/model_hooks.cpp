// The model's hooks. Until a hook's own work is in place it lets the kit's default work run
// (E_NOTIMPL), exactly as an empty entry would.
#include "model_hooks.h"

HRESULT hrOEMGetICMProfile(LPWSTR, DWORD, HANDLE, BYTE, DWORD) {
    return E_NOTIMPL;
}

HRESULT hrOEMPlgBlt(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, POINTFIX*, RECTL*,
                    POINTL*, ULONG, BOOL*) {
    return E_NOTIMPL;
}

HRESULT hrOEMStretchBlt(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*, RECTL*,
                        POINTL*, ULONG, BOOL*) {
    return E_NOTIMPL;
}

HRESULT hrOEMStretchBltROP(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                           RECTL*, POINTL*, ULONG, BRUSHOBJ*, ROP4, BOOL*) {
    return E_NOTIMPL;
}

HRESULT hrOEMStrokePath(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*, MIX, BOOL*) {
    return E_NOTIMPL;
}

void FillModelHooks(PluginHooks* hooks) {
    hooks->m_devMode = &hrOEMDevMode;
    hooks->m_commandCallback = &hrOEMCommandCallback;
    hooks->m_getICMProfile = &hrOEMGetICMProfile;
    hooks->m_sendStringResource = &hrOEMSendStringResource;
    hooks->m_mapCommandId = &hrOEMMapCommandId;
    hooks->m_endDoc = &hrOEMEndDoc;
    hooks->m_plgBlt = &hrOEMPlgBlt;
    hooks->m_startDoc = &hrOEMStartDoc;
    hooks->m_stretchBlt = &hrOEMStretchBlt;
    hooks->m_stretchBltROP = &hrOEMStretchBltROP;
    hooks->m_strokePath = &hrOEMStrokePath;
}
