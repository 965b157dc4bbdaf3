// src/capture/GraphManagerRun.cpp
// Running and stopping the graph, its events, the windowless video, the volume, the frame statistics and the
// running object table.
#include "capture/GraphManager.h"

#include <amvideo.h>
#include <cwchar>
#include <errors.h>

namespace {

const long kVolumeUnknown = -5000;
const int kIntermediateRetries = 10;
const DWORD kFirstStateWaitMs = 100;
const DWORD kStateRetryWaitMs = 500;
const DWORD kStopStateWaitMs = 1000;
const LPARAM kGraphNotifyParam = 0x100;
const LONG_PTR kEventInstanceData = 0xFF;

} // namespace

// The screen saver stays off while the graph runs; the user's setting is not changed for good (Stop and the
// destructor give it back).
HRESULT CGraphManager::Run(HWND hNotifyWindow, BOOL bSyncToAudio)
{
    if (!m_bScreenSaverSuspended) {
        BOOL bActive = FALSE;
        if (::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &bActive, 0)) {
            m_bScreenSaverWasActive = bActive;
            m_bScreenSaverSuspended = 1;
        }
    }
    ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);

    if (m_mediaControl) {
        OAFilterState state = State_Stopped;
        m_mediaControl->GetState(kStopStateWaitMs, &state);
        if (state == State_Running || state == State_Paused)
            m_mediaControl->Stop();
        if (m_mediaEvents)
            m_mediaEvents->SetNotifyWindow(0, 0, 0);
        m_mediaEvents.Release();
        m_mediaControl.Release();
    }
    HRESULT hr = m_mediaControl.QueryFrom(m_graph.get(), IID_IMediaControl);
    if (FAILED(hr)) {
        if (hNotifyWindow != nullptr)
            ::InvalidateRect(hNotifyWindow, nullptr, TRUE);
        return hr;
    }
    if (bSyncToAudio)
        SyncToAudioClock();
    hr = m_mediaControl->Run();
    if (hr != S_OK) {
        OAFilterState state = State_Stopped;
        hr = m_mediaControl->GetState(kFirstStateWaitMs, &state);
        for (int tries = 0; hr == VFW_S_STATE_INTERMEDIATE && tries < kIntermediateRetries; ++tries)
            hr = m_mediaControl->GetState(kStateRetryWaitMs, &state);
        if (hr != S_OK) {
            char szText[MAX_ERROR_TEXT_LEN] = {};
            CString text;
            if (::AMGetErrorTextA(hr, szText, MAX_ERROR_TEXT_LEN) != 0 && szText[0] != '\0') {
                szText[MAX_ERROR_TEXT_LEN - 1] = '\0';
                text = szText;
            } else {
                text.Format(" (Unknown Error: 0x%2x)", unsigned(hr));
            }
            Log(" failed: start graph (" + text + ")");
            Log(" failed: start graph");
            return E_FAIL;
        }
    }
    Log(" graph is running");
    m_nLastEvent = 0;
    if (SUCCEEDED(m_mediaEvents.QueryFrom(m_graph.get(), IID_IMediaEventEx)))
        m_mediaEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(hNotifyWindow), WM_GRAPH_NOTIFY, kEventInstanceData);
    UpdateVideoPosition(1, 1);
    if (hNotifyWindow != nullptr)
        ::InvalidateRect(hNotifyWindow, nullptr, TRUE);
    return S_OK;
}

HRESULT CGraphManager::Stop()
{
    HRESULT hr = S_OK;
    if (m_mediaControl) {
        OAFilterState state = State_Stopped;
        m_mediaControl->GetState(kStopStateWaitMs, &state);
        if (state == State_Running || state == State_Paused)
            hr = m_mediaControl->Stop();
        Log(" graph is stopped");
    }
    if (m_mediaEvents)
        m_mediaEvents->SetNotifyWindow(0, 0, 0);
    m_mediaControl.Release();
    m_mediaEvents.Release();
    m_windowless7.Release();
    m_windowless9.Release();
    m_videoRenderer.Release();
    if (m_bScreenSaverSuspended) {
        ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, m_bScreenSaverWasActive, nullptr, 0);
        m_bScreenSaverSuspended = 0;
    }
    return hr;
}

HRESULT CGraphManager::RunOrPause(BOOL bPause)
{
    if (!m_mediaControl)
        return 0;
    OAFilterState state = State_Stopped;
    m_mediaControl->GetState(kFirstStateWaitMs, &state);
    return bPause ? m_mediaControl->Pause() : m_mediaControl->Run();
}

void CGraphManager::SyncToAudioClock()
{
    CCaptureFilterInfo* pSound = FindDeviceByName(FALSE, "Default DirectSound Device");
    if (pSound == nullptr)
        return;
    CComPtr<IBaseFilter> filter = pSound->GetFilter();
    CComPtr<IReferenceClock> clock;
    CComPtr<IMediaFilter> mediaFilter;
    if (SUCCEEDED(clock.QueryFrom(filter.get(), IID_IReferenceClock)) &&
        SUCCEEDED(mediaFilter.QueryFrom(m_graph.get(), IID_IMediaFilter)))
        mediaFilter->SetSyncSource(clock.get());
}

void CGraphManager::HandleGraphEvents(HWND hWnd)
{
    if (!m_mediaEvents)
        return;
    bool completed = false;
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (m_mediaEvents->GetEvent(&code, &param1, &param2, 0) == S_OK) {
        m_mediaEvents->FreeEventParams(code, param1, param2);
        m_nLastEvent = code;
        CString line;
        line.Format(" %ld 0x%X", code, unsigned(code));
        Log(line);
        if (code == EC_COMPLETE || code == EC_USERABORT || code == EC_ERRORABORT)
            completed = true;
    }
    if (completed && hWnd != nullptr)
        ::SendMessageA(hWnd, WM_GRAPH_NOTIFY, m_nInstance, kGraphNotifyParam);
}

void CGraphManager::SetWindowlessControls(IVMRWindowlessControl* p7, IVMRWindowlessControl9* p9)
{
    m_windowless7 = CComPtr<IVMRWindowlessControl>(p7);
    m_windowless9 = CComPtr<IVMRWindowlessControl9>(p9);
}

void CGraphManager::SetVideoWindow(HWND hOwner, BOOL bApply)
{
    m_hOwner = hOwner;
    if (!bApply)
        return;
    if (m_bVmr7 && m_windowless7) {
        m_windowless7->SetVideoClippingWindow(hOwner);
        m_windowless7->SetBorderColor(0);
    } else if (!m_bVmr7 && m_windowless9) {
        m_windowless9->SetVideoClippingWindow(hOwner);
        m_windowless9->SetBorderColor(0);
    }
}

// The native video scaled by num/den, centred in the owner's client area where it is smaller.
HRESULT CGraphManager::UpdateVideoPosition(int num, int den)
{
    if (den == 0)
        return E_INVALIDARG;
    if (m_bVmr7 ? !m_windowless7 : !m_windowless9)
        return 0;
    LONG width = 0, height = 0, arWidth = 0, arHeight = 0;
    const HRESULT hrSize = m_bVmr7 ? m_windowless7->GetNativeVideoSize(&width, &height, &arWidth, &arHeight)
                                   : m_windowless9->GetNativeVideoSize(&width, &height, &arWidth, &arHeight);
    if (hrSize == E_NOINTERFACE)
        return 0;
    width = width * num / den;
    height = height * num / den;
    RECT rc = {0, 0, 0, 0};
    if (m_hOwner != nullptr)
        ::GetClientRect(m_hOwner, &rc);
    if (m_nDisplayMode == kDisplayModeLetterbox) {
        const LONG clientWidth = rc.right - rc.left;
        const LONG clientHeight = rc.bottom - rc.top;
        if (width < clientWidth) {
            rc.left = (clientWidth - width) / 2;
            rc.right = rc.left + width;
        }
        if (height < clientHeight) {
            rc.top = (clientHeight - height) / 2;
            rc.bottom = rc.top + height;
        }
    }
    if (m_bVmr7) {
        m_windowless7->SetAspectRatioMode(VMR_ARMODE_LETTER_BOX);
        return m_windowless7->SetVideoPosition(nullptr, &rc);
    }
    m_windowless9->SetAspectRatioMode(VMR9ARMode_LetterBox);
    return m_windowless9->SetVideoPosition(nullptr, &rc);
}

HRESULT CGraphManager::GetNativeVideoRect(RECT* pRect)
{
    if (pRect == nullptr)
        return E_POINTER;
    *pRect = RECT{0, 0, 0, 0};
    LONG width = 0, height = 0, arWidth = 0, arHeight = 0;
    HRESULT hr;
    if (!m_bVmr7 && m_windowless9)
        hr = m_windowless9->GetNativeVideoSize(&width, &height, &arWidth, &arHeight);
    else if (m_windowless7)
        hr = m_windowless7->GetNativeVideoSize(&width, &height, &arWidth, &arHeight);
    else
        return E_FAIL;
    pRect->right = width;
    pRect->bottom = height;
    return hr;
}

void CGraphManager::RepaintVideo(HDC hdc)
{
    if (m_hOwner == nullptr)
        return;
    if (m_windowless7)
        m_windowless7->RepaintVideo(m_hOwner, hdc);
    if (m_windowless9)
        m_windowless9->RepaintVideo(m_hOwner, hdc);
}

void CGraphManager::SetVolume(long volume)
{
    CComPtr<IBasicAudio> audio;
    if (SUCCEEDED(audio.QueryFrom(m_graph.get(), IID_IBasicAudio)))
        audio->put_Volume(volume);
}

long CGraphManager::GetVolume()
{
    CComPtr<IBasicAudio> audio;
    long volume = kVolumeUnknown;
    if (SUCCEEDED(audio.QueryFrom(m_graph.get(), IID_IBasicAudio)))
        audio->get_Volume(&volume);
    return volume;
}

HRESULT CGraphManager::GetFramesDropped(int* pCount)
{
    if (!m_videoRenderer)
        return E_FAIL;
    CComPtr<IQualProp> quality;
    const HRESULT hr = quality.QueryFrom(m_videoRenderer.get(), IID_IQualProp);
    if (FAILED(hr))
        return hr;
    return quality->get_FramesDroppedInRenderer(pCount);
}

HRESULT CGraphManager::AddToRot(IUnknown* pGraph)
{
    CComPtr<IRunningObjectTable> rot;
    if (FAILED(::GetRunningObjectTable(0, rot.Receive())) || !rot)
        return E_FAIL;
    CString name;
    name.Format("FilterGraph %08x pid %08x", unsigned(reinterpret_cast<UINT_PTR>(pGraph)),
                unsigned(::GetCurrentProcessId()));
    WCHAR szName[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, name, -1, szName, 64);
    CComPtr<IMoniker> moniker;
    HRESULT hr = ::CreateItemMoniker(L"!", szName, moniker.Receive());
    if (FAILED(hr))
        return hr;
    return rot->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, pGraph, moniker.get(), &m_nRotCookie);
}

void CGraphManager::RemoveFromRot()
{
    CComPtr<IRunningObjectTable> rot;
    if (SUCCEEDED(::GetRunningObjectTable(0, rot.Receive())) && rot)
        rot->Revoke(m_nRotCookie);
    m_nRotCookie = 0;
}
