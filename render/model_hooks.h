// The model's hooks, which CoPlugin's constructor puts into its hook table: the devmode's form
// assignment, the command callback with the job header, the colour profile, the printer command
// strings, the job name at the document's start and end, and the colour adjustment of blits and
// hairlines.
#pragma once

#include "hook_table.h"

HRESULT hrOEMDevMode(DWORD mode, POEMDMPARAM param);
HRESULT hrOEMCommandCallback(PDEVOBJ pdevobj, DWORD callbackId, DWORD count, PDWORD params, INT* result);
HRESULT hrOEMGetICMProfile(LPWSTR name, DWORD nameChars, HANDLE settingsSource, BYTE bitDepth, DWORD colorMode);
HRESULT hrOEMSendStringResource(OemPdev* pdev, DWORD stringId, CommandCapture* capture);
HRESULT hrOEMMapCommandId(OemPdev* pdev, DWORD commandId);
HRESULT hrOEMEndDoc(SURFOBJ* surface, FLONG flags, BOOL* result);
HRESULT hrOEMPlgBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                    COLORADJUSTMENT* adjustment, POINTL* brushOrigin, POINTFIX* corners, RECTL* sourceRect,
                    POINTL* maskPoint, ULONG mode, BOOL* result);
HRESULT hrOEMStartDoc(SURFOBJ* surface, LPWSTR documentName, DWORD jobId, BOOL* result);
HRESULT hrOEMStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                        POINTL* maskPoint, ULONG mode, BOOL* result);
HRESULT hrOEMStretchBltROP(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                           COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                           POINTL* maskPoint, ULONG mode, BRUSHOBJ* brush, ROP4 rop4, BOOL* result);
HRESULT hrOEMStrokePath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* brush,
                        POINTL* brushOrigin, LINEATTRS* lineAttributes, MIX mix, BOOL* result);

// Fills the model's entries of a hook table.
void FillModelHooks(PluginHooks* hooks);
