// src/capture/CaptureDevice.h
// CCaptureDevice: the base of every video-capture device object (the generic device and the maker's Vidmorph
// boxes). One object stands for one enumerated video-input device: it holds the device's descriptors, the
// analog-video and tuner settings, the TV channel list, the current video and audio formats and the formats the
// device offers. The derived classes fill in the graph builders; the base offers thin wrappers over the
// DirectShow control interfaces, the capability enumerations and the per-device settings.
#ifndef TAVISK_CAPTURE_CAPTUREDEVICE_H
#define TAVISK_CAPTURE_CAPTUREDEVICE_H

#include "capture/ChannelList.h"
#include "capture/FormatRecords.h"
#include "framework/Array.h"
#include "framework/ComPtr.h"
#include "framework/StreamOwner.h"
#include "framework/String.h"

#include <windows.h>
#include <dshow.h>

#include <cstdio>

class CCaptureFilterInfo;
class CGraphManager;

// The capability dump: empty unless a developer opened it; written by EnumVideoCaps and DumpStreamCaps.
extern CStreamOwner g_pCapsDumpFile;

// Crossbar inputs the video source selects.
enum : LONG {
    kVideoSourceTuner = 16,
    kVideoSourceComposite = 17,
    kVideoSourceSVideo = 18
};

class CCaptureDevice {
public:
    CCaptureDevice(CCaptureFilterInfo* pVideoCapture, CGraphManager* pManager);
    CCaptureDevice(const CCaptureDevice&) = delete;
    CCaptureDevice& operator=(const CCaptureDevice&) = delete;
    // Never uses the descriptors: at exit they may already be gone.
    virtual ~CCaptureDevice();

    // Graph builders of the device classes.
    virtual HRESULT BuildBasicGraph() = 0;
    virtual HRESULT Initialize() = 0;
    virtual HRESULT BuildPreviewCaptureGraph() = 0;
    virtual HRESULT ReadTunerState() = 0;

    // Control wrappers; they do nothing when the descriptor or the interface is missing.
    virtual void SetVideoStandard(LONG standard);
    virtual void GetVideoStandards();
    virtual void SetCountry(LONG code);
    // index -1: the tuner's connected input.
    virtual void SetTunerInput(LONG type, LONG index);
    virtual HRESULT SetVideoConfig(CVideoFormat format);
    virtual HRESULT SetAudioConfig(CAudioFormat format);
    // Reads the capture pin's current format into the current video format, which then holds exactly one frame
    // size (720 x 576 when the pin told nothing).
    virtual HRESULT ReadCurrentVideoFormat();
    virtual HRESULT ReadCurrentAudioFormat();
    // Appends the frame intervals the device offers for one capability and size, then sorts the whole list
    // ascending. Always S_OK.
    virtual HRESULT GetFrameRateList(CComPtr<IPin> pin, LONG capsIndex, LONG width, LONG height,
                                     CArray<LONGLONG>& intervals);

    // Selects the channel on the tuner; the channel is recorded as selected whatever the tuner answers.
    void SetChannel(LONG channel);
    // Tunes the TV tuner to a frequency within its range; S_OK or E_FAIL.
    HRESULT SetTunerFrequency(DWORD hertz);
    HRESULT GetAvailableTVAudioModes(LONG* pModes);
    HRESULT GetTVAudioMode(LONG* pMode);
    HRESULT SetTVAudioMode(LONG mode);
    HRESULT GetDroppedFrameCount(LONG* pCount);

    // Rebuild the lists of the formats the capture pin and the audio pin offer.
    void EnumVideoCaps();
    void EnumAudioCaps();
    // The pin whose formats the video operations read; empty when there is none.
    CComPtr<IPin> FindVideoCapturePin() const;
    // Writes one capability to the capability dump (nothing while it is closed).
    static void DumpStreamCaps(const AM_MEDIA_TYPE* pmt, VIDEO_STREAM_CONFIG_CAPS caps);

    // The per-device settings below the program's registry key and the channel-list file.
    void LoadSettings();
    void SaveSettings();
    BOOL LoadChannelSettings();
    void SaveChannelList();
    // The channel-list file of this device: "<install folder>\Channels<n>.kvc".
    CString GetChannelListPath() const;

    CCaptureFilterInfo* GetVideoCaptureInfo() const { return m_pVideoCapture; }

    BYTE m_bAudioPreview;
    BYTE m_bVideoPreview;
    BYTE m_bCapture1;
    BYTE m_bCapture2;
    LONG m_nVideoSource;         // kVideoSource...
    DWORD m_nAvailableTVFormats; // AnalogVideoStandard bits
    DWORD m_nTVFormat;           // AnalogVideo_PAL_B at first
    LONG m_nCountry;
    DWORD m_nTunerInputType; // TunerInputAntenna (1) or TunerInputCable (0)
    CChannelList m_channelList;
    CVideoFormat m_videoFormat;
    DWORD m_nVideoBitRate;
    CAudioFormat m_audioFormat;
    LONG m_nAudioCompression;
    CArray<CVideoFormat> m_videoFormats;
    CArray<CAudioFormat> m_audioFormats;

protected:
    CCaptureFilterInfo* m_pVideoCapture;
    CGraphManager* m_pGraphManager;
    CCaptureFilterInfo* m_pCrossbar;
    CCaptureFilterInfo* m_pTuner;
    CCaptureFilterInfo* m_pTVAudio;

private:
    // The device filter's interface `iid` for a wrapper; empty when there is no descriptor or no interface.
    template <class T>
    CComPtr<T> QueryFilter(const CCaptureFilterInfo* pInfo, REFIID iid) const;
    HRESULT QueryTVAudio(CComPtr<IAMTVAudio>& audio) const;
    // Takes one video capability into `format`; false when the capability is dropped.
    bool ReadVideoCapability(const AM_MEDIA_TYPE* pmt, const VIDEO_STREAM_CONFIG_CAPS& caps, int index,
                             const CComPtr<IPin>& pin, CVideoFormat& format);
};

#endif
