// src/capture/CaptureFilterInfo.h
// CCaptureFilterInfo: the reference-counted descriptor of one DirectShow filter the capture side knows: every
// enumerated video-input device and every filter the graph manager puts into a graph on a device's behalf. It
// holds the filter, the names it is found and shown by, a program-wide instance number, and offers the pin
// searches the graph builders need. Whoever keeps a pointer in one of the graph manager's collections holds one
// reference; Release deletes the descriptor at zero.
#ifndef TAVISK_CAPTURE_CAPTUREFILTERINFO_H
#define TAVISK_CAPTURE_CAPTUREFILTERINFO_H

#include "framework/Array.h"
#include "framework/ComPtr.h"
#include "framework/String.h"

#include <windows.h>
#include <dshow.h>

// Incremented by every descriptor made during the run, never decremented; the first descriptor is 1.
extern WORD g_nFilterInfoCount;

class CCaptureFilterInfo {
public:
    CCaptureFilterInfo(const CComPtr<IBaseFilter>& filter, const CString& friendlyName, const CString& devicePath);
    CCaptureFilterInfo(const CCaptureFilterInfo&) = delete;
    CCaptureFilterInfo& operator=(const CCaptureFilterInfo&) = delete;

    LONG AddRef();
    // Deletes the descriptor when the count reaches 0; returns the new count.
    LONG Release();

    CComPtr<IBaseFilter> GetFilter() const { return m_filter; }
    CString GetFriendlyName() const { return m_strFriendlyName; }
    CString GetDisplayName() const { return m_strDisplayName; }
    CString GetDevicePath() const { return m_strDevicePath; }
    CString GetInstanceSuffix() const;
    WORD GetInstanceNumber() const { return m_nInstance; }
    BYTE IsMakerDevice() const { return m_bMakerDevice; }
    BYTE IsSettingsApplied() const { return m_bSettingsApplied; }
    void SetSettingsApplied(BYTE bApplied) { m_bSettingsApplied = bApplied; }

    // Above 0: an external device under transport control (a DV camcorder or deck), its device type;
    // -1: a camera; -2: a device with video control; 0 otherwise.
    LONG IsExternalDevice() const;
    // The filter's own settings dialog.
    void ShowPropertyPages(HWND hParent) const;

    // The index-th pin (from 0) of the direction in the asked connection state; empty when there is none.
    CComPtr<IPin> GetPin(PIN_DIRECTION direction, BOOL bConnected, int nIndex) const;
    // The first pin whose name equals `name` without regard to case.
    CComPtr<IPin> FindPinByName(const CString& name) const;
    // The index-th pin (from 0) that offers a media type of the major type.
    CComPtr<IPin> FindPinByMediaType(const GUID& majorType, int nIndex) const;

    // Instance numbers of the filters added to a graph on this device's behalf.
    CWordArray m_relatedFilters;

private:
    ~CCaptureFilterInfo();

    CComPtr<IBaseFilter> m_filter;
    CString m_strFriendlyName;
    CString m_strDisplayName;
    CString m_strDevicePath;
    WORD m_nInstance;
    LONG m_nRefs;
    BYTE m_bMakerDevice;
    BYTE m_bSettingsApplied;
};

// The pin's category (PIN_CATEGORY_CAPTURE, ...) through its property set; E_NOINTERFACE when the pin has none.
HRESULT GetPinCategory(const CComPtr<IPin>& pin, GUID* pCategory);

// The first unconnected input (output) pin of a descriptor's filter; empty for a null descriptor or when every pin
// of the direction is connected.
CComPtr<IPin> FirstFreeInput(const CCaptureFilterInfo* pInfo);
CComPtr<IPin> FirstFreeOutput(const CCaptureFilterInfo* pInfo);

#endif
