// src/capture/CaptureComSeam.h
// The one seam under the capture side's object creation: the filter graph, the system device enumerator, every
// filter made by class id, the video renderers and the DirectX diagnostics provider are created through it. The
// default calls CoCreateInstance; tests install a table that hands out fake filters (and passes the rest on).
#ifndef TAVISK_CAPTURE_CAPTURECOMSEAM_H
#define TAVISK_CAPTURE_CAPTURECOMSEAM_H

#include <windows.h>
#include <objbase.h>

struct CaptureComTable {
    HRESULT(WINAPI* pfnCoCreateInstance)(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv);
};

// Installs a table (kept by pointer: it must outlive its use); null restores the real one. Returns the table that
// was in use.
const CaptureComTable* SetCaptureComTable(const CaptureComTable* pTable);

// CoCreateInstance through the current table, with no outer object.
HRESULT CaptureCreateInstance(REFCLSID clsid, DWORD dwContext, REFIID iid, void** ppv);

#endif
