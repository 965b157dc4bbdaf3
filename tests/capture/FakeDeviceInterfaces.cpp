// tests/capture/FakeDeviceInterfaces.cpp
#include "FakeDeviceInterfaces.h"

#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <mmreg.h>
#include <uuids.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace capture_test {

namespace {

template <class T>
std::vector<BYTE> BytesOf(const T& value)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    return std::vector<BYTE>(p, p + sizeof value);
}

// An MPEG video type whose format block is the info record `Info` (MPEG1VIDEOINFO or MPEG2VIDEOINFO) with the
// frame size, at its real length: the fixed part up to the sequence header at `headerOffset`, then a sequence
// header of `sequenceHeaderBytes` (a start code and zeros).
template <class Info>
FakeMediaType MpegType(const GUID& subType, const GUID& formatType, size_t headerOffset, LONG width, LONG height,
                       DWORD sequenceHeaderBytes)
{
    FakeMediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subType = subType;
    type.formatType = formatType;
    Info info = {};
    info.hdr.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.hdr.bmiHeader.biWidth = width;
    info.hdr.bmiHeader.biHeight = height;
    info.cbSequenceHeader = sequenceHeaderBytes;
    type.format = BytesOf(info);
    type.format.resize(headerOffset + sequenceHeaderBytes, 0);
    const BYTE startCode[] = {0x00, 0x00, 0x01, 0xB3};
    std::copy(startCode, startCode + std::min<size_t>(sequenceHeaderBytes, sizeof startCode),
              type.format.begin() + headerOffset);
    type.caps.assign(sizeof(VIDEO_STREAM_CONFIG_CAPS), 0);
    return type;
}

} // namespace

FakeMediaType VideoInfoType(const GUID& subType, DWORD compression, LONG width, LONG height)
{
    FakeMediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subType = subType;
    type.formatType = FORMAT_VideoInfo;
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = width;
    vih.bmiHeader.biHeight = height;
    vih.bmiHeader.biCompression = compression;
    type.format = BytesOf(vih);
    type.caps.assign(sizeof(VIDEO_STREAM_CONFIG_CAPS), 0);
    return type;
}

FakeMediaType Mpeg1Type(LONG width, LONG height, DWORD sequenceHeaderBytes)
{
    return MpegType<MPEG1VIDEOINFO>(MEDIASUBTYPE_MPEG1Payload, FORMAT_MPEGVideo,
                                    offsetof(MPEG1VIDEOINFO, bSequenceHeader), width, height, sequenceHeaderBytes);
}

FakeMediaType Mpeg2Type(LONG width, LONG height, DWORD sequenceHeaderBytes)
{
    return MpegType<MPEG2VIDEOINFO>(MEDIASUBTYPE_MPEG2_VIDEO, FORMAT_MPEG2Video,
                                    offsetof(MPEG2VIDEOINFO, dwSequenceHeader), width, height, sequenceHeaderBytes);
}

FakeMediaType PcmType(WORD channels, DWORD samplesPerSecond, WORD bitsPerSample, WORD extraSize)
{
    FakeMediaType type;
    type.majorType = MEDIATYPE_Audio;
    type.subType = MEDIASUBTYPE_PCM;
    type.formatType = FORMAT_WaveFormatEx;
    WAVEFORMATEX wave = {};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = channels;
    wave.nSamplesPerSec = samplesPerSecond;
    wave.wBitsPerSample = bitsPerSample;
    wave.nBlockAlign = WORD(channels * bitsPerSample / 8);
    wave.nAvgBytesPerSec = samplesPerSecond * wave.nBlockAlign;
    wave.cbSize = extraSize;
    type.format = BytesOf(wave);
    type.format.resize(sizeof(WAVEFORMATEX) + extraSize, 0);
    type.caps.assign(sizeof(AUDIO_STREAM_CONFIG_CAPS), 0);
    return type;
}

void SetVideoCaps(FakeMediaType& type, ULONG videoStandard, LONGLONG minInterval, LONGLONG maxInterval, LONG minBits,
                  LONG maxBits)
{
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    caps.guid = type.formatType;
    caps.VideoStandard = videoStandard;
    caps.MinFrameInterval = minInterval;
    caps.MaxFrameInterval = maxInterval;
    caps.MinBitsPerSecond = minBits;
    caps.MaxBitsPerSecond = maxBits;
    type.caps = BytesOf(caps);
}

AM_MEDIA_TYPE* FakeStreamConfig::MakeMediaType(const FakeMediaType& type)
{
    m_counter.count = &outstandingTypes;
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    std::memset(pmt, 0, sizeof *pmt);
    pmt->majortype = type.majorType;
    pmt->subtype = type.subType;
    pmt->formattype = type.formatType;
    pmt->cbFormat = ULONG(type.format.size());
    if (!type.format.empty()) {
        pmt->pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(type.format.size()));
        std::memcpy(pmt->pbFormat, type.format.data(), type.format.size());
    }
    pmt->pUnk = &m_counter;
    m_counter.AddRef();
    return pmt;
}

HRESULT FakeStreamConfig::SetFormat(AM_MEDIA_TYPE* pmt)
{
    FakeMediaType given;
    given.majorType = pmt->majortype;
    given.subType = pmt->subtype;
    given.formatType = pmt->formattype;
    if (pmt->pbFormat != nullptr)
        given.format.assign(pmt->pbFormat, pmt->pbFormat + pmt->cbFormat);
    setFormats.push_back(given);
    return setFormatResult;
}

HRESULT FakeStreamConfig::GetFormat(AM_MEDIA_TYPE** ppmt)
{
    *ppmt = nullptr;
    if (FAILED(getFormatResult))
        return getFormatResult;
    *ppmt = MakeMediaType(current);
    return S_OK;
}

HRESULT FakeStreamConfig::GetNumberOfCapabilities(int* pCount, int* pSize)
{
    *pCount = int(capabilities.size());
    *pSize = capsSize;
    return S_OK;
}

// Writes the announced number of caps bytes, as a driver would, unless told to write another number.
HRESULT FakeStreamConfig::GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* pCaps)
{
    ++streamCapsCalls;
    *ppmt = nullptr;
    if (index < 0 || size_t(index) >= capabilities.size())
        return S_FALSE;
    const FakeMediaType& type = capabilities[size_t(index)];
    if (type.result != S_OK)
        return type.result;
    std::vector<BYTE> caps(type.caps);
    caps.resize(size_t(std::max(capsWritten >= 0 ? capsWritten : capsSize, 0)), 0);
    if (!caps.empty())
        std::memcpy(pCaps, caps.data(), caps.size());
    *ppmt = MakeMediaType(type);
    return S_OK;
}

HRESULT FakeVideoControl::GetFrameRateList(IPin*, LONG index, SIZE size, LONG* pCount, LONGLONG** ppList)
{
    ++calls;
    *pCount = 0;
    *ppList = nullptr;
    for (const Entry& entry : rates) {
        if (entry.index != index || entry.width != size.cx || entry.height != size.cy)
            continue;
        *pCount = LONG(entry.intervals.size());
        *ppList = static_cast<LONGLONG*>(::CoTaskMemAlloc(sizeof(LONGLONG) * (entry.intervals.size() + 1)));
        std::copy(entry.intervals.begin(), entry.intervals.end(), *ppList);
        return S_OK;
    }
    return E_FAIL;
}

HRESULT FakeTvTuner::QueryInterface(REFIID iid, void** ppv)
{
    *ppv = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAMTVTuner) || IsEqualIID(iid, IID_IAMTuner))
        *ppv = static_cast<IAMTVTuner*>(this);
    else if (IsEqualIID(iid, IID_IKsPropertySet) && propertySet)
        *ppv = static_cast<IKsPropertySet*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT FakeTvTuner::put_Channel(LONG channel, LONG, LONG)
{
    channels.push_back(channel);
    return putChannelResult;
}

HRESULT FakeTvTuner::ChannelMinMax(LONG* pMin, LONG* pMax)
{
    *pMin = 1;
    *pMax = 99;
    return S_OK;
}

HRESULT FakeTvTuner::put_CountryCode(LONG code)
{
    countryCodes.push_back(code);
    return S_OK;
}

HRESULT FakeTvTuner::put_TuningSpace(LONG space)
{
    tuningSpaces.push_back(space);
    return S_OK;
}

HRESULT FakeTvTuner::SignalPresent(LONG* pStrength)
{
    *pStrength = 1;
    return S_OK;
}

HRESULT FakeTvTuner::GetAvailableModes(LONG* pModes)
{
    *pModes = AMTUNER_MODE_TV;
    return S_OK;
}

HRESULT FakeTvTuner::get_AvailableTVFormats(LONG* pFormats)
{
    *pFormats = availableFormats;
    return S_OK;
}

HRESULT FakeTvTuner::get_TVFormat(LONG* pFormat)
{
    *pFormat = tvFormat;
    return S_OK;
}

HRESULT FakeTvTuner::put_InputType(LONG index, TunerInputType type)
{
    inputTypes.push_back({index, LONG(type)});
    return putInputTypeResult;
}

HRESULT FakeTvTuner::get_InputType(LONG, TunerInputType* pType)
{
    *pType = inputType;
    return S_OK;
}

HRESULT FakeTvTuner::get_ConnectInput(LONG* pIndex)
{
    *pIndex = connectInput;
    return connectInputResult;
}

HRESULT FakeTvTuner::get_VideoFrequency(LONG* pFrequency)
{
    *pFrequency = videoFrequency;
    return videoFrequencyResult;
}

HRESULT FakeTvTuner::Set(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID pData, DWORD size)
{
    if (!IsEqualGUID(set, PROPSETID_TUNER) || id != KSPROPERTY_TUNER_FREQUENCY ||
        size < sizeof(KSPROPERTY_TUNER_FREQUENCY_S))
        return E_PROP_ID_UNSUPPORTED;
    const KSPROPERTY_TUNER_FREQUENCY_S* p = static_cast<const KSPROPERTY_TUNER_FREQUENCY_S*>(pData);
    frequencies.push_back({p->Frequency, p->TuningFlags});
    return setResult;
}

HRESULT FakeTvTuner::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID pData, DWORD size, DWORD* pReturned)
{
    if (!IsEqualGUID(set, PROPSETID_TUNER) || id != KSPROPERTY_TUNER_MODE_CAPS ||
        size < sizeof(KSPROPERTY_TUNER_MODE_CAPS_S))
        return E_PROP_ID_UNSUPPORTED;
    KSPROPERTY_TUNER_MODE_CAPS_S* p = static_cast<KSPROPERTY_TUNER_MODE_CAPS_S*>(pData);
    p->MinFrequency = minFrequency;
    p->MaxFrequency = maxFrequency;
    p->Strategy = strategy;
    if (pReturned != nullptr)
        *pReturned = sizeof *p;
    return S_OK;
}

HRESULT FakeTvTuner::QuerySupported(REFGUID set, DWORD id, DWORD* pSupport)
{
    if (!IsEqualGUID(set, PROPSETID_TUNER) || id != KSPROPERTY_TUNER_MODE_CAPS)
        return E_PROP_ID_UNSUPPORTED;
    *pSupport = modeSupport;
    return S_OK;
}

} // namespace capture_test
