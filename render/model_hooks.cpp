// The model's hook table entries. The hooks themselves live with the work they do.
#include "model_hooks.h"

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
