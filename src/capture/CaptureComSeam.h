// src/capture/CaptureComSeam.h
// The one seam under the capture side's COM calls. The filter graph, the system device enumerator, every filter
// made by class id, the video renderers and the DirectX diagnostics provider are created through it, and the
// property values read from device monikers are cleared through it. The defaults are the real calls; tests
// install a table that hands out fake filters or records what is freed (a null entry keeps the real call).
#ifndef TAVISK_CAPTURE_CAPTURECOMSEAM_H
#define TAVISK_CAPTURE_CAPTURECOMSEAM_H

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

struct CaptureComHooks {
    HRESULT(WINAPI* pfnCoCreateInstance)(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv);
    HRESULT(WINAPI* pfnVariantClear)(VARIANTARG* pVar);
};

// Installs a table (kept by pointer: it must outlive its use); null restores the real one. Returns the table that
// was in use.
const CaptureComHooks* SetCaptureComHooks(const CaptureComHooks* pHooks);

// CoCreateInstance through the current table, with no outer object.
HRESULT CaptureCreateInstance(REFCLSID clsid, DWORD dwContext, REFIID iid, void** ppv);

// VariantClear through the current table.
HRESULT CaptureVariantClear(VARIANTARG* pVar);

#endif
