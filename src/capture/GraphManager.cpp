// src/capture/GraphManager.cpp
// The graph manager's lifetime, its diagnostics log, the graph's creation and release and the device
// enumeration. The graph-building steps are in GraphManagerFilters.cpp, running and the video window in
// GraphManagerRun.cpp.
#include "capture/GraphManager.h"

#include "capture/CaptureComSeam.h"
#include "capture/PropertyBagText.h"
#include "drive/SpeedCache.h"
#include "framework/Clock.h"
#include "framework/Registry.h"
#include "framework/WindowsVersion.h"

#include <cstring>
#include <errors.h>

CGraphManager* g_pGraphManager = nullptr;
CStringArray g_dxLogLines;
CStreamOwner g_pDxLogFile;
WORD g_nGraphManagerCount = 0;

namespace {

const char kDxLogFile[] = "QRVDxlog.txt";
const char kGraphEditLogFile[] = "QRVGraphEditlog.txt";

// A DWORD setting: the first four bytes of the value whatever its type; shorter data is zero-filled. False
// when the value cannot be read.
bool ReadDwordSetting(const CRegistryKey& key, LPCTSTR name, DWORD& value)
{
    DWORD type = 0;
    CByteArray data;
    if (key.QueryRaw(name, type, data) != ERROR_SUCCESS)
        return false;
    BYTE bytes[4] = {};
    for (INT_PTR i = 0; i < data.GetSize() && i < 4; ++i)
        bytes[i] = data[i];
    std::memcpy(&value, bytes, 4);
    return true;
}

// NT 5.1 exactly, as the framework reads the version.
bool IsWindowsXp()
{
    OSVERSIONINFOEXA version;
    return AfxGetWindowsVersion(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
}

} // namespace

void FlushDxLog()
{
    CStreamOwner file = OpenStream(kDxLogFile, "at");
    if (!file)
        return;
    for (INT_PTR i = 0; i < g_dxLogLines.GetSize(); ++i)
        std::fprintf(file.get(), "%s\n", static_cast<LPCTSTR>(g_dxLogLines[i]));
    g_dxLogLines.RemoveAll();
}

// The video renderer defaults to VMR-7 on Windows XP and VMR-9 elsewhere; the registry may choose. With
// "VideoLog" set, DirectShow's own graph log is recreated, and the first manager opens the text log.
CGraphManager::CGraphManager()
    : m_nDisplayMode(kDisplayModeLetterbox), m_nLastEvent(0), m_bVmr7(0), m_bVideoLog(0),
      m_nInstance(++g_nGraphManagerCount), m_nRotCookie(0), m_hOwner(nullptr), m_pDeviceSink(nullptr),
      m_bScreenSaverSuspended(0), m_bScreenSaverWasActive(FALSE)
{
    if (IsWindowsXp())
        m_bVmr7 = 1;
    ReadSettings();
    if (m_bVideoLog) {
        m_graphEditLog.Open(kGraphEditLogFile,
                            CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive | CFile::modeNoInherit);
        if (m_nInstance == 1 && g_pDxLogFile == nullptr)
            g_pDxLogFile = OpenStream(kDxLogFile, "at");
    }
}

void CGraphManager::ReadSettings()
{
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, CString(kProgramRegistryKey) + "\\General", KEY_READ) != ERROR_SUCCESS)
        return;
    DWORD value = 0;
    if (ReadDwordSetting(key, "VMR", value)) {
        if (value == 1)
            m_bVmr7 = 1;
        else if (value == 2)
            m_bVmr7 = 0;
    }
    if (ReadDwordSetting(key, "VideoLog", value) && value != 0)
        m_bVideoLog = 1;
}

// The descriptors are not released here: ReleaseGraph does that.
CGraphManager::~CGraphManager()
{
    Log(" graph object destroyed");
    m_graphEditLog.Abort();
    if (m_nInstance == 1)
        g_pDxLogFile.reset();
    if (m_bScreenSaverSuspended)
        ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, m_bScreenSaverWasActive, nullptr, 0);
    m_nDisplayMode = kDisplayModeLetterbox;
    m_bVmr7 = 0;
    m_bVideoLog = 0;
    m_nInstance = 0;
    m_hOwner = nullptr;
    m_videoRenderer.Release();
    m_windowless9.Release();
    m_windowless7.Release();
    m_mediaEvents.Release();
    m_mediaControl.Release();
    m_graph.Release();
}

void CGraphManager::Log(const CString& message)
{
    SYSTEMTIME now;
    ClockGetLocalTime(&now);
    CString stamp;
    stamp.Format("[%d/%.02d/%.02d %.02dh:%.02dm:%.02ds]", int(now.wDay), int(now.wMonth), int(now.wYear),
                 int(now.wHour), int(now.wMinute), int(now.wSecond));
    CString line;
    line.Format("%s %04d: ", static_cast<LPCTSTR>(stamp), int(m_nInstance));
    line += message;
    g_dxLogLines.Add(line);
    if (g_pDxLogFile != nullptr) {
        std::fprintf(g_pDxLogFile.get(), "%s\n", static_cast<LPCTSTR>(line));
        std::fflush(g_pDxLogFile.get());
    }
}

CString CGraphManager::ErrorText(HRESULT hr)
{
    char szText[MAX_ERROR_TEXT_LEN] = {};
    if (::AMGetErrorTextA(hr, szText, MAX_ERROR_TEXT_LEN) != 0 && szText[0] != '\0') {
        szText[MAX_ERROR_TEXT_LEN - 1] = '\0';
        return szText;
    }
    CString text;
    text.Format("Unknown Error: 0x%2x", unsigned(hr));
    return text;
}

// COM is initialised for the calling thread on every call (the graph lives on the user-interface thread).
HRESULT CGraphManager::CreateGraph()
{
    ::CoInitialize(nullptr);
    Log(" create new graph filter");
    ReleaseGraphFilters();
    Stop();
    DetachGraphLog();
    m_graph.Release();
    const HRESULT hr = CaptureCreateInstance(CLSID_FilterGraph, CLSCTX_ALL, IID_IGraphBuilder, m_graph.ReceiveVoid());
    if (SUCCEEDED(hr) && m_bVideoLog && m_graphEditLog.m_hFile != CFile::hFileNull)
        m_graph->SetLogFile(reinterpret_cast<DWORD_PTR>(m_graphEditLog.m_hFile));
    return hr;
}

HRESULT CGraphManager::ReleaseGraph()
{
    ReleaseSharedFilters();
    ReleaseGraphFilters();
    Stop();
    ReleaseDevices();
    DetachGraphLog();
    m_graph.Release();
    return S_OK;
}

void CGraphManager::DetachGraphLog()
{
    if (m_graph && m_graphEditLog.m_hFile != CFile::hFileNull)
        m_graph->SetLogFile(0);
}

void CGraphManager::ReleaseGraphFilters()
{
    for (INT_PTR i = 0; i < m_graphFilters.GetSize(); ++i)
        static_cast<CCaptureFilterInfo*>(m_graphFilters[i])->Release();
    m_graphFilters.RemoveAll();
}

void CGraphManager::ReleaseSharedFilters()
{
    POSITION pos = m_sharedFilters.GetStartPosition();
    while (pos != nullptr) {
        CString key;
        void* value = nullptr;
        m_sharedFilters.GetNextAssoc(pos, key, value);
        static_cast<CCaptureFilterInfo*>(value)->Release();
    }
    m_sharedFilters.RemoveAll();
}

void CGraphManager::ReleaseDevices()
{
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i)
        static_cast<CCaptureFilterInfo*>(m_devices[i])->Release();
    m_devices.RemoveAll();
}

// One descriptor per video-input device that reports a device path, named by its description when it has one.
// With bRefresh only devices not yet known are added, and the device list makes their objects.
HRESULT CGraphManager::EnumerateDevices(BOOL bRefresh)
{
    CComPtr<ICreateDevEnum> devEnum;
    HRESULT hr = CaptureCreateInstance(CLSID_SystemDeviceEnum, CLSCTX_ALL, IID_ICreateDevEnum, devEnum.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    CComPtr<IEnumMoniker> monikers;
    hr = devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Receive(), 0);
    if (hr != S_OK || !monikers)
        return E_FAIL;
    CComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Receive(), nullptr) == S_OK && moniker) {
        CComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid())) || !bag)
            continue;
        CString name;
        CString path;
        ReadPropertyBagText(bag.get(), L"FriendlyName", name);
        ReadPropertyBagText(bag.get(), L"Description", name);
        if (!ReadPropertyBagText(bag.get(), L"DevicePath", path))
            continue;
        if (bRefresh && FindDeviceByPath(TRUE, path) != nullptr)
            continue;
        CComPtr<IBaseFilter> filter;
        if (FAILED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid())) || !filter)
            continue;
        m_devices.Add(new CCaptureFilterInfo(filter, name, path));
        if (bRefresh && m_pDeviceSink != nullptr)
            m_pDeviceSink->CreateDevice(int(m_devices.GetSize()) - 1);
    }
    return m_devices.GetSize() > 0 ? S_OK : E_FAIL;
}

// A device arrived (enumerate the new ones) or left (drop it with the filters added on its behalf).
LRESULT CGraphManager::RefreshDevices(CString devicePath, BOOL bRemoved)
{
    devicePath.MakeUpper();
    if (!bRemoved) {
        EnumerateDevices(TRUE);
        return 0;
    }
    INT_PTR found = -1;
    for (INT_PTR i = 0; i < m_devices.GetSize() && found < 0; ++i) {
        CString path = static_cast<CCaptureFilterInfo*>(m_devices[i])->GetDevicePath();
        path.MakeUpper();
        if (path == devicePath)
            found = i;
    }
    if (found < 0)
        return 0;
    CCaptureFilterInfo* pDevice = static_cast<CCaptureFilterInfo*>(m_devices[found]);
    const CWordArray& related = pDevice->m_relatedFilters;
    auto isRelated = [&related](WORD id) {
        for (INT_PTR i = 0; i < related.GetSize(); ++i)
            if (related[i] == id)
                return true;
        return false;
    };
    POSITION pos = m_sharedFilters.GetStartPosition();
    while (pos != nullptr) {
        CString key;
        void* value = nullptr;
        m_sharedFilters.GetNextAssoc(pos, key, value);
        CCaptureFilterInfo* pShared = static_cast<CCaptureFilterInfo*>(value);
        if (isRelated(pShared->GetInstanceNumber())) {
            m_sharedFilters.RemoveKey(key);
            pShared->Release();
        }
    }
    for (INT_PTR r = 0; r < related.GetSize(); ++r) {
        for (INT_PTR i = 0; i < m_graphFilters.GetSize(); ++i) {
            CCaptureFilterInfo* pFilter = static_cast<CCaptureFilterInfo*>(m_graphFilters[i]);
            if (pFilter->GetInstanceNumber() == related[r]) {
                m_graphFilters.RemoveAt(i);
                pFilter->Release();
                break;
            }
        }
    }
    if (m_pDeviceSink != nullptr)
        m_pDeviceSink->RemoveDevice(pDevice->GetInstanceNumber());
    m_devices.RemoveAt(found);
    pDevice->Release();
    return 0;
}

CCaptureFilterInfo* CGraphManager::GetDevice(BOOL bDevices, int index) const
{
    const CPtrArray& array = bDevices ? m_devices : m_graphFilters;
    return static_cast<CCaptureFilterInfo*>(array.GetAt(index));
}

CCaptureFilterInfo* CGraphManager::FindDeviceById(BOOL bDevices, WORD id) const
{
    const CPtrArray& array = bDevices ? m_devices : m_graphFilters;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
        CCaptureFilterInfo* pInfo = static_cast<CCaptureFilterInfo*>(array[i]);
        if (pInfo->GetInstanceNumber() == id)
            return pInfo;
    }
    return nullptr;
}

// Names compare exactly (letter case counts).
CCaptureFilterInfo* CGraphManager::FindDeviceByName(BOOL bDevices, const CString& name) const
{
    const CPtrArray& array = bDevices ? m_devices : m_graphFilters;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
        CCaptureFilterInfo* pInfo = static_cast<CCaptureFilterInfo*>(array[i]);
        if (pInfo->GetFriendlyName() == name)
            return pInfo;
    }
    return nullptr;
}

// Paths compare without regard to letter case.
CCaptureFilterInfo* CGraphManager::FindDeviceByPath(BOOL bDevices, const CString& path) const
{
    const CPtrArray& array = bDevices ? m_devices : m_graphFilters;
    CString wanted(path);
    wanted.MakeLower();
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
        CCaptureFilterInfo* pInfo = static_cast<CCaptureFilterInfo*>(array[i]);
        CString candidate = pInfo->GetDevicePath();
        candidate.MakeLower();
        if (candidate == wanted)
            return pInfo;
    }
    return nullptr;
}
