// src/capture/DVCaptureDevice.h
// CGraphDevice: the small root of device objects that only build a graph; CDVCaptureDevice: an external DV
// device under transport control (camcorder or deck), previewed through the DV splitter and decoder and captured
// to an AVI file.
#ifndef TAVISK_CAPTURE_DVCAPTUREDEVICE_H
#define TAVISK_CAPTURE_DVCAPTUREDEVICE_H

#include "framework/ComPtr.h"
#include "framework/String.h"

#include <windows.h>
#include <dshow.h>

class CCaptureFilterInfo;
class CGraphManager;

class CGraphDevice {
public:
    CGraphDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager);
    CGraphDevice(const CGraphDevice&) = delete;
    CGraphDevice& operator=(const CGraphDevice&) = delete;
    virtual ~CGraphDevice() = default;
    virtual HRESULT BuildGraph() = 0;

    CCaptureFilterInfo* GetDescriptor() const { return m_pInfo; }

    BYTE m_bAudioPreview;
    BYTE m_bVideoPreview;
    BYTE m_bCapture1;
    BYTE m_bCapture2;
    // 2: separate video and audio streams in the AVI file; any other value: one interleaved stream.
    LONG m_nDVCaptureType;

protected:
    CCaptureFilterInfo* m_pInfo;
    CGraphManager* m_pGraphManager;
};

class CDVCaptureDevice : public CGraphDevice {
public:
    CDVCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager);
    ~CDVCaptureDevice() override;

    // The preview and capture graph; S_OK or E_FAIL.
    HRESULT BuildGraph() override;
    // The transport mode (play, stop, ...) of the device; 0.
    LONG SetTransportMode(LONG mode);
    // The device's capture pin whose current format is interleaved DV; empty when there is none.
    CComPtr<IPin> FindInterleavedCapturePin() const;

    CString m_strCaptureFile;

private:
    // The filters every DV graph has: smart tee, DV splitter and DV decoder.
    struct DecodingChain {
        CCaptureFilterInfo* pTee = nullptr;
        CCaptureFilterInfo* pSplitter = nullptr;
        CCaptureFilterInfo* pDecoder = nullptr;
    };

    // Steps of BuildGraph.
    HRESULT BuildDecodingChain(DecodingChain& chain);
    HRESULT BuildAudioPreview(const DecodingChain& chain);
    HRESULT BuildVideoPreview(const DecodingChain& chain);
    HRESULT BuildCaptureFile(const DecodingChain& chain);
    HRESULT ConnectCaptureStreams(const CCaptureFilterInfo* pTee, const CCaptureFilterInfo* pMux);
};

// Sets the file name of a file writer filter when it takes one.
void SetCaptureFileName(CCaptureFilterInfo* pWriter, const CString& fileName);

#endif
