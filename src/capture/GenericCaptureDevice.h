// src/capture/GenericCaptureDevice.h
// CGenericCaptureDevice: every video-capture device that is neither a DV device nor one of the maker's boxes
// (webcams, capture cards). Its graph previews the video and audio pins the device offers, with a tee where the
// device has only a capture pin, and captures to an AVI file.
#ifndef TAVISK_CAPTURE_GENERICCAPTUREDEVICE_H
#define TAVISK_CAPTURE_GENERICCAPTUREDEVICE_H

#include "capture/CaptureDevice.h"

class CGenericCaptureDevice : public CCaptureDevice {
public:
    CGenericCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager);
    ~CGenericCaptureDevice() override;

    HRESULT BuildBasicGraph() override;
    HRESULT Initialize() override;
    HRESULT BuildPreviewCaptureGraph() override;
    // A generic device has no tuner: E_FAIL.
    HRESULT ReadTunerState() override;
    // The format becomes the current one and is set on the capture pin; E_INVALIDARG without a frame size.
    HRESULT SetVideoConfig(CVideoFormat format) override;
    // Sets the capability of the format's first frame size: its frame time, or its bit rate when the size has no
    // frame interval. Nothing without a configuration; E_INVALIDARG without a frame size.
    HRESULT ApplyVideoFormat(IAMStreamConfig* pConfig, const CVideoFormat& format);

    CString m_strCaptureFile;

private:
    // The device's output pins by what they carry.
    struct SortedPins;
    static SortedPins SortPins(const CCaptureFilterInfo* pInfo);

    // Steps of BuildPreviewCaptureGraph; each leaves the smart tee it added (if any) in *ppTee.
    HRESULT BuildVideoPreview(const SortedPins& pins, CCaptureFilterInfo** ppTee);
    HRESULT BuildAudioPreview(const SortedPins& pins, CCaptureFilterInfo** ppTee);
    HRESULT BuildCaptureFile(const SortedPins& pins, const CCaptureFilterInfo* pVideoTee,
                             const CCaptureFilterInfo* pAudioTee);
};

#endif
