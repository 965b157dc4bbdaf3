// src/capture/CaptureDevice.cpp
// The capture-device base: defaults, the control wrappers, the current-format readers and the tuner frequency.
// The capability enumerations are in CaptureDeviceCaps.cpp, the settings in CaptureSettings.cpp.
#include "capture/CaptureDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/GraphManager.h"
#include "capture/MediaType.h"

#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <cstring>

CStreamOwner g_pCapsDumpFile;

namespace {

const LONG kDefaultWidth = 720;
const LONG kDefaultHeight = 576;
const DWORD kDefaultBitRate = 4000000;

// The bytes after a KSPROPERTY header, handed to the tuner as its instance data.
template <class T>
void* InstanceData(T& property)
{
    return reinterpret_cast<BYTE*>(&property) + sizeof(KSPROPERTY);
}

template <class T>
DWORD InstanceSize()
{
    return DWORD(sizeof(T) - sizeof(KSPROPERTY));
}

} // namespace

CCaptureDevice::CCaptureDevice(CCaptureFilterInfo* pVideoCapture, CGraphManager* pManager)
    : m_bAudioPreview(1), m_bVideoPreview(1), m_bCapture1(0), m_bCapture2(0), m_nVideoSource(kVideoSourceComposite),
      m_nAvailableTVFormats(0), m_nTVFormat(AnalogVideo_PAL_B), m_nCountry(21), m_nTunerInputType(TunerInputAntenna),
      m_nVideoBitRate(kDefaultBitRate), m_nAudioCompression(2), m_pVideoCapture(pVideoCapture),
      m_pGraphManager(pManager), m_pCrossbar(nullptr), m_pTuner(nullptr), m_pTVAudio(nullptr)
{
    CFrameSize size;
    size.m_nMaxBitRate = kDefaultBitRate;
    m_videoFormat.m_arrFrameSizes.Add(size);

    WAVEFORMATEX& wave = m_audioFormat.m_waveFormat;
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = 2;
    wave.nSamplesPerSec = 48000;
    wave.nAvgBytesPerSec = 192000;
    wave.nBlockAlign = 4;
    wave.wBitsPerSample = 16;
    wave.cbSize = 0;
}

// The dump is closed by the first device that goes; the owner is left empty so no later one closes it again.
CCaptureDevice::~CCaptureDevice()
{
    m_audioFormats.RemoveAll();
    m_videoFormats.RemoveAll();
    g_pCapsDumpFile.reset();
}

template <class T>
CComPtr<T> CCaptureDevice::QueryFilter(const CCaptureFilterInfo* pInfo, REFIID iid) const
{
    CComPtr<T> result;
    if (pInfo != nullptr) {
        const CComPtr<IBaseFilter> filter = pInfo->GetFilter();
        result.QueryFrom(filter.get(), iid);
    }
    return result;
}

void CCaptureDevice::SetVideoStandard(LONG standard)
{
    CComPtr<IAMAnalogVideoDecoder> decoder =
        QueryFilter<IAMAnalogVideoDecoder>(m_pVideoCapture, IID_IAMAnalogVideoDecoder);
    if (decoder)
        decoder->put_TVFormat(standard);
}

void CCaptureDevice::GetVideoStandards()
{
    CComPtr<IAMAnalogVideoDecoder> decoder =
        QueryFilter<IAMAnalogVideoDecoder>(m_pVideoCapture, IID_IAMAnalogVideoDecoder);
    if (!decoder)
        return;
    long value = 0;
    if (SUCCEEDED(decoder->get_AvailableTVFormats(&value)))
        m_nAvailableTVFormats = DWORD(value);
    if (SUCCEEDED(decoder->get_TVFormat(&value)))
        m_nTVFormat = DWORD(value);
}

void CCaptureDevice::SetCountry(LONG code)
{
    CComPtr<IAMTVTuner> tuner = QueryFilter<IAMTVTuner>(m_pTuner, IID_IAMTVTuner);
    if (!tuner)
        return;
    tuner->put_CountryCode(code);
    tuner->put_TuningSpace(code);
}

void CCaptureDevice::SetTunerInput(LONG type, LONG index)
{
    CComPtr<IAMTVTuner> tuner = QueryFilter<IAMTVTuner>(m_pTuner, IID_IAMTVTuner);
    if (!tuner)
        return;
    if (index == -1) {
        long connected = 0;
        if (FAILED(tuner->get_ConnectInput(&connected)))
            return;
        index = connected;
    }
    if (SUCCEEDED(tuner->put_InputType(index, TunerInputType(type))))
        m_nTunerInputType = DWORD(type);
}

HRESULT CCaptureDevice::SetVideoConfig(CVideoFormat)
{
    return E_NOTIMPL;
}

HRESULT CCaptureDevice::SetAudioConfig(CAudioFormat)
{
    return E_NOTIMPL;
}

void CCaptureDevice::SetChannel(LONG channel)
{
    CComPtr<IAMTVTuner> tuner = QueryFilter<IAMTVTuner>(m_pTuner, IID_IAMTVTuner);
    if (!tuner)
        return;
    tuner->put_Channel(channel, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    m_channelList.m_nSelectedChannel = channel;
}

HRESULT CCaptureDevice::SetTunerFrequency(DWORD hertz)
{
    CComPtr<IKsPropertySet> properties = QueryFilter<IKsPropertySet>(m_pTuner, IID_IKsPropertySet);
    if (!properties)
        return E_FAIL;
    DWORD support = 0;
    if (FAILED(properties->QuerySupported(PROPSETID_TUNER, KSPROPERTY_TUNER_MODE_CAPS, &support)) ||
        (support & KSPROPERTY_SUPPORT_GET) == 0)
        return E_FAIL;

    KSPROPERTY_TUNER_MODE_CAPS_S caps;
    std::memset(&caps, 0, sizeof caps);
    caps.Mode = KSPROPERTY_TUNER_MODE_TV;
    DWORD returned = 0;
    properties->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_MODE_CAPS, InstanceData(caps),
                    InstanceSize<KSPROPERTY_TUNER_MODE_CAPS_S>(), &caps, sizeof caps, &returned);
    if (hertz < caps.MinFrequency || hertz > caps.MaxFrequency)
        return E_FAIL;

    KSPROPERTY_TUNER_FREQUENCY_S frequency;
    std::memset(&frequency, 0, sizeof frequency);
    frequency.Frequency = hertz;
    frequency.TuningFlags =
        caps.Strategy == KS_TUNER_STRATEGY_DRIVER_TUNES ? KS_TUNER_TUNING_FINE : KS_TUNER_TUNING_EXACT;
    const HRESULT hr = properties->Set(PROPSETID_TUNER, KSPROPERTY_TUNER_FREQUENCY, InstanceData(frequency),
                                       InstanceSize<KSPROPERTY_TUNER_FREQUENCY_S>(), &frequency, sizeof frequency);
    return SUCCEEDED(hr) ? S_OK : E_FAIL;
}

// The TV audio filter's IAMTVAudio; E_FAIL without a capture filter or a TV audio filter, else the query's result.
HRESULT CCaptureDevice::QueryTVAudio(CComPtr<IAMTVAudio>& audio) const
{
    if (m_pVideoCapture == nullptr || m_pTVAudio == nullptr)
        return E_FAIL;
    const CComPtr<IBaseFilter> filter = m_pTVAudio->GetFilter();
    return audio.QueryFrom(filter.get(), IID_IAMTVAudio);
}

HRESULT CCaptureDevice::GetAvailableTVAudioModes(LONG* pModes)
{
    CComPtr<IAMTVAudio> audio;
    const HRESULT hr = QueryTVAudio(audio);
    return FAILED(hr) ? hr : audio->GetAvailableTVAudioModes(pModes);
}

HRESULT CCaptureDevice::GetTVAudioMode(LONG* pMode)
{
    CComPtr<IAMTVAudio> audio;
    const HRESULT hr = QueryTVAudio(audio);
    return FAILED(hr) ? hr : audio->get_TVAudioMode(pMode);
}

HRESULT CCaptureDevice::SetTVAudioMode(LONG mode)
{
    CComPtr<IAMTVAudio> audio;
    const HRESULT hr = QueryTVAudio(audio);
    return FAILED(hr) ? hr : audio->put_TVAudioMode(mode);
}

HRESULT CCaptureDevice::GetDroppedFrameCount(LONG* pCount)
{
    if (m_pVideoCapture == nullptr)
        return E_FAIL;
    CComPtr<IAMDroppedFrames> dropped;
    const CComPtr<IBaseFilter> filter = m_pVideoCapture->GetFilter();
    HRESULT hr = dropped.QueryFrom(filter.get(), IID_IAMDroppedFrames);
    if (FAILED(hr))
        return hr;
    return dropped->GetNumDropped(pCount);
}

HRESULT CCaptureDevice::ReadCurrentVideoFormat()
{
    m_videoFormat = CVideoFormat();
    CFrameSize size;
    size.m_nWidth = kDefaultWidth;
    size.m_nHeight = kDefaultHeight;
    if (m_pVideoCapture != nullptr && m_pVideoCapture->IsExternalDevice() == -2)
        m_videoFormat.m_bFrameRate = 1;

    HRESULT hr = E_FAIL;
    const CComPtr<IPin> pin = FindVideoCapturePin();
    if (pin) {
        CComPtr<IAMStreamConfig> config;
        hr = config.QueryFrom(pin.get(), IID_IAMStreamConfig);
        AM_MEDIA_TYPE* pmt = nullptr;
        if (SUCCEEDED(hr) && FAILED(config->GetFormat(&pmt)))
            pmt = nullptr;
        if (SUCCEEDED(hr))
            hr = S_OK;
        if (pmt != nullptr) {
            if (const VIDEOINFOHEADER* pvi = GetFormatBlockAs<VIDEOINFOHEADER>(pmt, FORMAT_VideoInfo)) {
                const DWORD compression = pvi->bmiHeader.biCompression;
                m_videoFormat.m_formatType = FORMAT_VideoInfo;
                m_videoFormat.m_subType = pmt->subtype;
                m_videoFormat.m_nCompression = compression;
                if (compression == MakeFourCC('M', 'J', 'P', 'G')) {
                    size.m_arrFrameIntervals.Add(pvi->AvgTimePerFrame);
                    m_videoFormat.m_bFrameRate = 1;
                } else if (compression != MakeFourCC('D', 'X', '5', '0') &&
                           compression != MakeFourCC('M', 'P', '4', 'S') &&
                           compression != MakeFourCC('D', 'I', 'V', 'X') &&
                           compression != MakeFourCC('W', 'M', 'P', 4)) {
                    size.m_arrFrameIntervals.Add(pvi->AvgTimePerFrame);
                }
                size.m_nWidth = pvi->bmiHeader.biWidth;
                size.m_nHeight = pvi->bmiHeader.biHeight;
                size.m_nMaxBitRate = pvi->dwBitRate;
                m_nVideoBitRate = pvi->dwBitRate;
            } else if (const MPEG1VIDEOINFO* pm1 = GetFormatBlockAs<MPEG1VIDEOINFO>(pmt, FORMAT_MPEGVideo)) {
                m_videoFormat.m_formatType = FORMAT_MPEGVideo;
                m_videoFormat.m_subType = pmt->subtype;
                size.m_nWidth = pm1->hdr.bmiHeader.biWidth;
                size.m_nHeight = pm1->hdr.bmiHeader.biHeight;
                size.m_nMaxBitRate = pm1->hdr.dwBitRate;
                m_nVideoBitRate = pm1->hdr.dwBitRate;
            } else if (const MPEG2VIDEOINFO* pm2 = GetFormatBlockAs<MPEG2VIDEOINFO>(pmt, FORMAT_MPEG2Video)) {
                m_videoFormat.m_formatType = FORMAT_MPEG2Video;
                m_videoFormat.m_subType = pmt->subtype;
                size.m_nWidth = pm2->hdr.bmiHeader.biWidth;
                size.m_nHeight = pm2->hdr.bmiHeader.biHeight;
                size.m_nMaxBitRate = pm2->hdr.dwBitRate;
                m_nVideoBitRate = pm2->hdr.dwBitRate;
            }
            DeleteMediaType(pmt);
        }
    }
    m_videoFormat.m_arrFrameSizes.Add(size);
    return hr;
}

// A current format block that is not a whole wave format changes nothing.
HRESULT CCaptureDevice::ReadCurrentAudioFormat()
{
    if (m_pVideoCapture == nullptr)
        return E_FAIL;
    const CComPtr<IPin> pin = m_pVideoCapture->FindPinByName("Audio Capture");
    if (!pin)
        return E_FAIL;
    CComPtr<IAMStreamConfig> config;
    const HRESULT hr = config.QueryFrom(pin.get(), IID_IAMStreamConfig);
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE* pmt = nullptr;
    if (FAILED(config->GetFormat(&pmt)) || pmt == nullptr)
        return S_OK;
    if (const WAVEFORMATEX* pwfx = GetFormatBlockAs<WAVEFORMATEX>(pmt, FORMAT_WaveFormatEx)) {
        WAVEFORMATEX& wave = m_audioFormat.m_waveFormat;
        wave.wFormatTag = pwfx->wFormatTag;
        wave.nChannels = pwfx->nChannels;
        wave.nSamplesPerSec = pwfx->nSamplesPerSec;
        wave.nAvgBytesPerSec = pwfx->nAvgBytesPerSec;
        wave.nBlockAlign = pwfx->nBlockAlign;
        wave.wBitsPerSample = pwfx->wBitsPerSample;
        wave.cbSize = pwfx->cbSize;
        m_audioFormat.m_formatType = pmt->formattype;
        m_audioFormat.m_subType = pmt->subtype;
    }
    DeleteMediaType(pmt);
    return S_OK;
}
