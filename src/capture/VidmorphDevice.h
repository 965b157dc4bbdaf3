// src/capture/VidmorphDevice.h
// The maker's two Vidmorph audio/video capture boxes with a hardware encoder: CVidmorphCaptureDevice (without a
// TV tuner) and CVidmorphTunerDevice. The box shows itself as a capture filter, a crossbar and, on the tuner
// model, a TV tuner and a TV audio filter, each with a fixed name per model. The encoder takes its settings from
// a configuration block carried in the capture pin's format block (VidmorphConfig.h).
#ifndef TAVISK_CAPTURE_VIDMORPHDEVICE_H
#define TAVISK_CAPTURE_VIDMORPHDEVICE_H

#include "capture/CaptureDevice.h"
#include "capture/VidmorphConfig.h"

// The capture filters' names, by which the device list recognises the boxes.
extern const char kVidmorphCaptureName[];
extern const char kVidmorphTunerCaptureName[];

// The filter names of one model.
struct VidmorphModel {
    const char* capture;
    const char* crossbar;
    const char* tuner;   // null: no tuner
    const char* tvAudio; // null: no TV audio
};

class CVidmorphDevice : public CCaptureDevice {
public:
    ~CVidmorphDevice() override;

    HRESULT BuildBasicGraph() override;
    HRESULT Initialize() override;
    HRESULT BuildPreviewCaptureGraph() override;
    // Fills the encoder configuration for the format and applies it to the preview and capture pins; the capture
    // pin's result. E_INVALIDARG without a frame size.
    HRESULT SetVideoConfig(CVideoFormat format) override;
    HRESULT SetAudioConfig(CAudioFormat format) override;

    // Standard, video configuration and crossbar; the crossbar's result.
    HRESULT ApplyConfig();
    HRESULT ApplyAudioConfig();
    // The configuration on the capture filter's pin of that name; S_OK when there is no such pin.
    HRESULT ApplyPinConfig(const char* pszPin, const CVidmorphConfig& config);
    HRESULT SetPinAudioFormat(const CComPtr<IPin>& pin);
    HRESULT SetPinVideoFormat(IAMStreamConfig* pStreamConfig, const CVidmorphConfig& config);
    // Routes the crossbar input of the video source (and its related audio input) to outputs 0 and 1.
    HRESULT ConfigureCrossbar();
    // The audio encoder's mode for the device's audio compression.
    HRESULT SetAudioEncoderMode(CCaptureFilterInfo* pEncoder);

    const CVidmorphConfig& GetConfig() const { return m_config; }
    CCaptureFilterInfo* GetCrossbarInfo() const { return m_pCrossbar; }
    CCaptureFilterInfo* GetTunerInfo() const { return m_pTuner; }
    CCaptureFilterInfo* GetTVAudioInfo() const { return m_pTVAudio; }

protected:
    CVidmorphDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager, const VidmorphModel& model);
    // Adds one of the box's further filters and records it as related to the device.
    HRESULT AddBoxFilter(REFCLSID category, const char* name, CCaptureFilterInfo** ppOut);

    const VidmorphModel& m_model;
    CVidmorphConfig m_config;

private:
    // Steps of BuildPreviewCaptureGraph.
    HRESULT ConnectVideoSource();
    HRESULT BuildVideoPreview();
    HRESULT AddPreviewDecoder(const CComPtr<IPin>& preview, CComPtr<IPin>& source);
    HRESULT BuildAudioBranches(const CComPtr<IPin>& audio, CCaptureFilterInfo** ppTee);
    HRESULT AddAudioEncoder(const CCaptureFilterInfo* pTee, CCaptureFilterInfo** ppEncoder);
    HRESULT BuildCaptureFile(const CCaptureFilterInfo* pTee, const CCaptureFilterInfo* pEncoder);
};

class CVidmorphCaptureDevice : public CVidmorphDevice {
public:
    CVidmorphCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager);
    // The box has no tuner: E_NOTIMPL.
    HRESULT ReadTunerState() override;
};

class CVidmorphTunerDevice : public CVidmorphDevice {
public:
    CVidmorphTunerDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager);
    // Reads the tuner's standards and input; get_VideoFrequency's result.
    HRESULT ReadTunerState() override;
};

#endif
