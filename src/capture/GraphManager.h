// src/capture/GraphManager.h
// CGraphManager: the one program-wide object of the capture side. It owns the DirectShow filter graph and the
// interfaces that control it, enumerates the video-input devices into reference-counted descriptors, keeps the
// descriptors of the filters it put into the current graph, offers the graph-building steps of the capture-device
// classes, and keeps the capture side's diagnostics log ("QRVDxlog.txt" in the current directory).
#ifndef TAVISK_CAPTURE_GRAPHMANAGER_H
#define TAVISK_CAPTURE_GRAPHMANAGER_H

#include "capture/CaptureFilterInfo.h"
#include "framework/Array.h"
#include "framework/ComPtr.h"
#include "framework/File.h"
#include "framework/MapStringToPtr.h"
#include "framework/StreamOwner.h"
#include "framework/String.h"

#include <windows.h>
#include <dshow.h>
#include <d3d9.h>
#include <vmr9.h>

#include <cstdio>

class CGraphManager;

// The program-wide manager; null until the main dialog created it, when its creation failed and after the capture
// side ended.
extern CGraphManager* g_pGraphManager;
// Every log line of the run, from every manager; never emptied by the program's normal course.
extern CStringArray g_dxLogLines;
// The text log while the first manager lives with "VideoLog" set, else empty.
extern CStreamOwner g_pDxLogFile;
// The number of the last manager made; the first manager is 1.
extern WORD g_nGraphManagerCount;

// Sent to the notify window when the graph completed, aborted or failed: wParam the manager's instance number.
const UINT WM_GRAPH_NOTIFY = WM_APP + 0x73;
// The only display mode: the scaled video centred in the owner window.
const DWORD kDisplayModeLetterbox = 34;

// Receives the devices that arrive or leave while the program runs (the capture-device list).
class ICaptureDeviceSink {
public:
    virtual ~ICaptureDeviceSink() = default;
    // A descriptor was appended at `index` of the device descriptors.
    virtual void CreateDevice(int index) = 0;
    // The device object of the descriptor with this instance number goes.
    virtual void RemoveDevice(WORD instance) = 0;
};

// Appends every line of g_dxLogLines to "QRVDxlog.txt" and empties the array; nothing when the file cannot be
// opened. The program itself does not call it.
void FlushDxLog();

class CGraphManager {
public:
    CGraphManager();
    ~CGraphManager();
    CGraphManager(const CGraphManager&) = delete;
    CGraphManager& operator=(const CGraphManager&) = delete;

    // One line: "[d/mm/yyyy hhh:mmm:sss] nnnn: " and the message.
    void Log(const CString& message);

    // Graph lifetime.
    HRESULT InitGraph() { return CreateGraph(); }
    HRESULT CreateGraph();
    HRESULT ReleaseGraph();
    HRESULT Teardown() { return ReleaseGraph(); }

    // Devices.
    HRESULT EnumerateDevices(BOOL bRefresh);
    LRESULT RefreshDevices(CString devicePath, BOOL bRemoved);
    // No reference is added; an index outside the array throws CInvalidArgException.
    CCaptureFilterInfo* GetDevice(BOOL bDevices, int index) const;
    int GetDeviceCount() const { return int(m_devices.GetSize()); }
    int GetGraphFilterCount() const { return int(m_graphFilters.GetSize()); }
    CCaptureFilterInfo* FindDeviceById(BOOL bDevices, WORD id) const;
    CCaptureFilterInfo* FindDeviceByName(BOOL bDevices, const CString& name) const;
    CCaptureFilterInfo* FindDeviceByPath(BOOL bDevices, const CString& path) const;
    void SetDeviceSink(ICaptureDeviceSink* pSink) { m_pDeviceSink = pSink; }

    // Filters and pins.
    HRESULT AddDeviceFilter(CCaptureFilterInfo* pFilter, const CString& name);
    HRESULT AddFilterByCLSID(REFCLSID clsid, const CString& name, CCaptureFilterInfo** ppOut, BOOL bAddToGraph);
    // The default DirectSound renderer, added to the graph for the audio preview; a failure is logged.
    HRESULT AddSoundRenderer(CCaptureFilterInfo** ppSound);
    HRESULT AddFilterFromCategory(REFCLSID category, const CString& friendlyName, const CString& graphName,
                                  CCaptureFilterInfo** ppOut, BOOL bAddToGraph, BOOL bShared);
    HRESULT AddFilterFromCategoryByPath(REFCLSID category, const CString& friendlyName, const CString& graphName,
                                        const CString& devicePath, CCaptureFilterInfo** ppOut, BOOL bAddToGraph,
                                        BOOL bShared);
    HRESULT ConnectPins(IPin* pOut, IPin* pIn, BOOL bIntelligent);
    HRESULT RenderPin(IPin* pPin);
    HRESULT AddVideoRenderer(CCaptureFilterInfo** ppOut);
    HRESULT AddVideoRenderer9(CCaptureFilterInfo** ppOut);

    // Steps the device classes build their graphs from, each a plain connection (no intelligent connect).
    // An output pin to the first free input of a filter.
    HRESULT ConnectToFilter(IPin* pOut, const CCaptureFilterInfo* pTo);
    // The first free output of one filter to the first free input of another.
    HRESULT ConnectFilters(const CCaptureFilterInfo* pFrom, const CCaptureFilterInfo* pTo);
    // A filter made by class id, added to the graph, with an output pin connected to it.
    HRESULT AddFilterAfter(IPin* pOut, REFCLSID clsid, const CString& name, CCaptureFilterInfo** ppOut);
    // The sound renderer of the audio preview; null, with the preview switched off (bAudioPreview 0), when it
    // cannot be added: the graph then goes on without it.
    CCaptureFilterInfo* AddAudioPreviewRenderer(BYTE& bAudioPreview);

    // Running.
    HRESULT Run(HWND hNotifyWindow, BOOL bSyncToAudio);
    HRESULT Stop();
    HRESULT RunOrPause(BOOL bPause);
    void SyncToAudioClock();
    void HandleGraphEvents(HWND hWnd);

    // Video window.
    void SetVideoWindow(HWND hOwner, BOOL bApply);
    HRESULT UpdateVideoPosition(int num, int den);
    HRESULT GetNativeVideoRect(RECT* pRect);
    void RepaintVideo(HDC hdc);

    // Audio and statistics.
    void SetVolume(long volume);
    long GetVolume();
    HRESULT GetFramesDropped(int* pCount);

    // Running object table.
    HRESULT AddToRot(IUnknown* pGraph);
    void RemoveFromRot();

    WORD GetInstanceNumber() const { return m_nInstance; }
    BYTE UsesVmr7() const { return m_bVmr7; }
    BYTE IsVideoLogOn() const { return m_bVideoLog; }
    LONG GetLastGraphEvent() const { return m_nLastEvent; }
    IGraphBuilder* GetGraph() const { return m_graph.get(); }

    // For tests of the window calls: the windowless controls as a renderer would give them.
    void SetWindowlessControls(IVMRWindowlessControl* p7, IVMRWindowlessControl9* p9);

private:
    // The text of a DirectShow status for the log.
    static CString ErrorText(HRESULT hr);
    HRESULT AddFilterFromCategoryImpl(REFCLSID category, const CString& friendlyName, const CString& graphName,
                                      const CString* pDevicePath, CCaptureFilterInfo** ppOut, BOOL bAddToGraph,
                                      BOOL bShared);
    HRESULT AddMixingRenderer(REFCLSID clsid, const CString& graphName, CCaptureFilterInfo** ppOut);
    void ReleaseGraphFilters();
    void ReleaseSharedFilters();
    void ReleaseDevices();
    void StopGraph();
    void DetachGraphLog();
    void ReadSettings();

    DWORD m_nDisplayMode;
    LONG m_nLastEvent;
    CFile m_graphEditLog;
    BYTE m_bVmr7;
    BYTE m_bVideoLog;
    WORD m_nInstance;
    DWORD m_nRotCookie;
    CPtrArray m_graphFilters;
    CPtrArray m_devices;
    CMapStringToPtr m_sharedFilters;
    HWND m_hOwner;
    CComPtr<IGraphBuilder> m_graph;
    CComPtr<IMediaControl> m_mediaControl;
    CComPtr<IMediaEventEx> m_mediaEvents;
    CComPtr<IVMRWindowlessControl> m_windowless7;
    CComPtr<IVMRWindowlessControl9> m_windowless9;
    CComPtr<IBaseFilter> m_videoRenderer;
    ICaptureDeviceSink* m_pDeviceSink;
    // Run switches the screen saver off for this session only; Stop gives back what was set before.
    BYTE m_bScreenSaverSuspended;
    BOOL m_bScreenSaverWasActive;
};

#endif
