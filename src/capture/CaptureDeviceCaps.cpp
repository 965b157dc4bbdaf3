// src/capture/CaptureDeviceCaps.cpp
// What a capture device offers: the video formats of its capture pin (grouped by format, with their frame sizes
// and frame intervals) and the PCM formats of its audio pin; the pin choice and the capability dump.
#include "capture/CaptureDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/MediaType.h"

#include <dvdmedia.h>
#include <uuids.h>

#include <vector>

namespace {

const DWORD kPalMask = 0x7F0;     // the PAL standards of AnalogVideoStandard
const DWORD kNtscMask = 0x807;    // the NTSC standards
const DWORD kSecamMask = 0xFF000; // the SECAM and later standards

// Frame intervals of the maker's Motion-JPEG capabilities, in 100-ns units.
const LONGLONG kMakerPalIntervals[] = {400000, 800031, 1200095};
const LONGLONG kMakerNtscIntervals[] = {333666, 416666, 666666, 1000000, 2000000};

const DWORD kMjpg = MakeFourCC('M', 'J', 'P', 'G');

template <size_t N>
void AddIntervals(CArray<LONGLONG>& target, const LONGLONG (&source)[N])
{
    for (LONGLONG interval : source)
        target.Add(interval);
}

bool SameGroup(const CVideoFormat& a, const CVideoFormat& b)
{
    return IsEqualGUID(a.m_formatType, b.m_formatType) && IsEqualGUID(a.m_subType, b.m_subType) &&
           a.m_nCompression == b.m_nCompression;
}

// Largest width first, equal widths by the larger height.
void SortFrameSizes(CArray<CFrameSize>& sizes)
{
    const INT_PTR count = sizes.GetSize();
    for (INT_PTR i = 0; i < count; ++i) {
        for (INT_PTR j = i + 1; j < count; ++j) {
            const CFrameSize& a = sizes[i];
            const CFrameSize& b = sizes[j];
            if (b.m_nWidth > a.m_nWidth || (b.m_nWidth == a.m_nWidth && b.m_nHeight > a.m_nHeight)) {
                const CFrameSize swap = sizes[i];
                sizes[i] = sizes[j];
                sizes[j] = swap;
            }
        }
    }
}

CString GuidText(const GUID& guid)
{
    WCHAR szGuid[64] = {};
    ::StringFromGUID2(guid, szGuid, 64);
    return WideToAnsi(szGuid);
}

// The stream configuration of a pin, opened for reading its capabilities into the caller's structure.
bool OpenStreamCaps(const CComPtr<IPin>& pin, CComPtr<IAMStreamConfig>& config, CStreamCapsReader& reader,
                    size_t structureSize)
{
    return SUCCEEDED(config.QueryFrom(pin.get(), IID_IAMStreamConfig)) && reader.Open(config.get(), structureSize);
}

} // namespace

CComPtr<IPin> CCaptureDevice::FindVideoCapturePin() const
{
    if (m_pVideoCapture == nullptr)
        return CComPtr<IPin>();
    if (m_pVideoCapture->IsMakerDevice())
        return m_pVideoCapture->FindPinByName("Video Capture");
    CComPtr<IPin> capture;
    CComPtr<IPin> preview;
    for (int i = 0;; ++i) {
        CComPtr<IPin> pin = m_pVideoCapture->FindPinByMediaType(MEDIATYPE_Video, i);
        if (!pin)
            break;
        GUID category = GUID_NULL;
        if (FAILED(GetPinCategory(pin, &category)))
            continue;
        if (IsEqualGUID(category, PIN_CATEGORY_CAPTURE))
            capture = pin;
        else if (IsEqualGUID(category, PIN_CATEGORY_PREVIEW))
            preview = pin;
    }
    return capture ? capture : preview;
}

HRESULT CCaptureDevice::GetFrameRateList(CComPtr<IPin> pin, LONG capsIndex, LONG width, LONG height,
                                         CArray<LONGLONG>& intervals)
{
    CComPtr<IAMVideoControl> control;
    if (m_pVideoCapture != nullptr) {
        const CComPtr<IBaseFilter> filter = m_pVideoCapture->GetFilter();
        control.QueryFrom(filter.get(), IID_IAMVideoControl);
    }
    if (control && pin) {
        SIZE size = {width, height};
        long count = 0;
        LONGLONG* pList = nullptr;
        if (SUCCEEDED(control->GetFrameRateList(pin.get(), capsIndex, size, &count, &pList)) && pList != nullptr) {
            for (long i = 0; i < count; ++i)
                intervals.Add(pList[i]);
        }
        if (pList != nullptr)
            ::CoTaskMemFree(pList);
    }
    std::vector<LONGLONG> sorted(intervals.GetData(), intervals.GetData() + intervals.GetSize());
    for (size_t i = 1; i < sorted.size(); ++i)
        for (size_t j = i; j > 0 && sorted[j] < sorted[j - 1]; --j)
            std::swap(sorted[j], sorted[j - 1]);
    for (size_t i = 0; i < sorted.size(); ++i)
        intervals[INT_PTR(i)] = sorted[i];
    return S_OK;
}

bool CCaptureDevice::ReadVideoCapability(const AM_MEDIA_TYPE* pmt, const VIDEO_STREAM_CONFIG_CAPS& caps, int index,
                                         const CComPtr<IPin>& pin, CVideoFormat& format)
{
    const bool maker = m_pVideoCapture->IsMakerDevice() != 0;
    format.m_formatType = pmt->formattype;
    format.m_subType = pmt->subtype;
    format.m_nCapsIndex = index;
    CFrameSize size;
    size.m_nMinBitRate = DWORD(caps.MinBitsPerSecond);
    size.m_nMaxBitRate = DWORD(caps.MaxBitsPerSecond);

    if (const VIDEOINFOHEADER* pvi = GetFormatBlockAs<VIDEOINFOHEADER>(pmt, FORMAT_VideoInfo)) {
        size.m_nWidth = pvi->bmiHeader.biWidth;
        size.m_nHeight = pvi->bmiHeader.biHeight;
        format.m_nCompression = pvi->bmiHeader.biCompression;
        const DWORD compression = format.m_nCompression;
        if (maker && compression != MakeFourCC('D', 'X', '5', '0') && compression != kMjpg &&
            compression != MakeFourCC('M', 'P', '4', 'S'))
            return false;
    } else if (IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG2_VIDEO)) {
        const MPEG2VIDEOINFO* pm2 = GetFormatBlockAs<MPEG2VIDEOINFO>(pmt, FORMAT_MPEG2Video);
        if (pm2 == nullptr)
            return false;
        size.m_nWidth = pm2->hdr.bmiHeader.biWidth;
        size.m_nHeight = pm2->hdr.bmiHeader.biHeight;
    } else if (IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG1Payload)) {
        const MPEG1VIDEOINFO* pm1 = GetFormatBlockAs<MPEG1VIDEOINFO>(pmt, FORMAT_MPEGVideo);
        if (pm1 == nullptr)
            return false;
        size.m_nWidth = pm1->hdr.bmiHeader.biWidth;
        size.m_nHeight = pm1->hdr.bmiHeader.biHeight;
    } else {
        return false;
    }

    if (IsEqualGUID(pmt->formattype, FORMAT_VideoInfo) && format.m_nCompression == kMjpg) {
        const DWORD standard = caps.VideoStandard;
        if (maker && (standard & kPalMask) != 0)
            AddIntervals(size.m_arrFrameIntervals, kMakerPalIntervals);
        else if (maker && (standard & kNtscMask) != 0)
            AddIntervals(size.m_arrFrameIntervals, kMakerNtscIntervals);
        else if (maker && (standard & kSecamMask) != 0)
            AddIntervals(size.m_arrFrameIntervals, kMakerPalIntervals);
        else {
            size.m_arrFrameIntervals.Add(caps.MinFrameInterval);
            size.m_arrFrameIntervals.Add(caps.MaxFrameInterval);
        }
        format.m_bFrameRate = 1;
    } else {
        GetFrameRateList(pin, index, size.m_nWidth, size.m_nHeight, size.m_arrFrameIntervals);
        format.m_bFrameRate = size.m_arrFrameIntervals.IsEmpty() ? 0 : 1;
    }
    format.m_arrFrameSizes.Add(size);
    return true;
}

void CCaptureDevice::EnumVideoCaps()
{
    m_videoFormats.RemoveAll();
    const CComPtr<IPin> pin = FindVideoCapturePin();
    if (!pin)
        return;
    CComPtr<IAMStreamConfig> config;
    CStreamCapsReader reader;
    if (!OpenStreamCaps(pin, config, reader, sizeof(VIDEO_STREAM_CONFIG_CAPS)))
        return;
    if (g_pCapsDumpFile != nullptr)
        std::fprintf(g_pCapsDumpFile.get(), "\n\n====================\nEnum Video Caps: %s\n====================\n",
                     static_cast<LPCSTR>(m_pVideoCapture->GetFriendlyName()));

    CArray<CVideoFormat> found;
    for (int i = 0; i < reader.GetCount(); ++i) {
        CMediaTypePtr mt;
        if (reader.Read(i, mt) != S_OK || mt.get() == nullptr)
            continue;
        const VIDEO_STREAM_CONFIG_CAPS caps = reader.Record<VIDEO_STREAM_CONFIG_CAPS>();
        DumpStreamCaps(mt.get(), caps);
        CVideoFormat format;
        if (ReadVideoCapability(mt.get(), caps, i, pin, format))
            found.Add(format);
    }

    for (INT_PTR i = 0; i < found.GetSize(); ++i) {
        INT_PTR group = -1;
        for (INT_PTR j = 0; j < m_videoFormats.GetSize() && group < 0; ++j)
            if (SameGroup(m_videoFormats[j], found[i]))
                group = j;
        if (group < 0)
            m_videoFormats.Add(found[i]);
        else
            m_videoFormats[group].m_arrFrameSizes.Append(found[i].m_arrFrameSizes);
    }
    for (INT_PTR i = 0; i < m_videoFormats.GetSize(); ++i) {
        CVideoFormat& format = m_videoFormats[i];
        if (!format.m_arrFrameSizes.IsEmpty() && format.m_arrFrameSizes[0].m_arrFrameIntervals.IsEmpty())
            SortFrameSizes(format.m_arrFrameSizes);
    }
}

void CCaptureDevice::EnumAudioCaps()
{
    m_audioFormats.RemoveAll();
    if (m_pVideoCapture == nullptr)
        return;
    const CComPtr<IPin> pin = m_pVideoCapture->FindPinByName("Audio Capture");
    if (!pin)
        return;
    CComPtr<IAMStreamConfig> config;
    CStreamCapsReader reader;
    if (!OpenStreamCaps(pin, config, reader, sizeof(AUDIO_STREAM_CONFIG_CAPS)))
        return;
    for (int i = 0; i < reader.GetCount(); ++i) {
        CMediaTypePtr mt;
        if (reader.Read(i, mt) != S_OK || mt.get() == nullptr)
            continue;
        const AM_MEDIA_TYPE* pmt = mt.get();
        if (!IsEqualGUID(pmt->majortype, MEDIATYPE_Audio) || !IsEqualGUID(pmt->subtype, MEDIASUBTYPE_PCM))
            continue;
        const WAVEFORMATEX* pwfx = GetFormatBlockAs<WAVEFORMATEX>(pmt, FORMAT_WaveFormatEx);
        if (pwfx == nullptr)
            continue;
        CAudioFormat format;
        format.m_nCapsIndex = i;
        format.m_waveFormat.wFormatTag = pwfx->wFormatTag;
        format.m_waveFormat.nChannels = pwfx->nChannels;
        format.m_waveFormat.nSamplesPerSec = pwfx->nSamplesPerSec;
        format.m_waveFormat.nAvgBytesPerSec = pwfx->nAvgBytesPerSec;
        format.m_waveFormat.nBlockAlign = pwfx->nBlockAlign;
        format.m_waveFormat.wBitsPerSample = pwfx->wBitsPerSample;
        format.m_waveFormat.cbSize = pwfx->cbSize;
        format.m_formatType = pmt->formattype;
        format.m_subType = pmt->subtype;
        bool duplicate = false;
        for (INT_PTR j = 0; j < m_audioFormats.GetSize() && !duplicate; ++j) {
            const WAVEFORMATEX& kept = m_audioFormats[j].m_waveFormat;
            duplicate = kept.nAvgBytesPerSec == pwfx->nAvgBytesPerSec && kept.nBlockAlign == pwfx->nBlockAlign &&
                        kept.nChannels == pwfx->nChannels && kept.nSamplesPerSec == pwfx->nSamplesPerSec &&
                        kept.wBitsPerSample == pwfx->wBitsPerSample;
        }
        if (!duplicate)
            m_audioFormats.Add(format);
    }
}

void CCaptureDevice::DumpStreamCaps(const AM_MEDIA_TYPE* pmt, VIDEO_STREAM_CONFIG_CAPS caps)
{
    FILE* f = g_pCapsDumpFile.get();
    if (f == nullptr || pmt == nullptr)
        return;
    std::fprintf(f, "GUID: %s\n", static_cast<LPCSTR>(GuidText(caps.guid)));
    std::fprintf(f, "VideoStandard: %lu\n", caps.VideoStandard);
    std::fprintf(f, "InputSize: %luX%lu\n", caps.InputSize.cx, caps.InputSize.cy);
    std::fprintf(f, "MinCroppingSize: %luX%lu\n", caps.MinCroppingSize.cx, caps.MinCroppingSize.cy);
    std::fprintf(f, "MaxCroppingSize: %luX%lu\n", caps.MaxCroppingSize.cx, caps.MaxCroppingSize.cy);
    std::fprintf(f, "CropGranularityX: %lu\n", ULONG(caps.CropGranularityX));
    std::fprintf(f, "CropGranularityY: %lu\n", ULONG(caps.CropGranularityY));
    std::fprintf(f, "CropAlignX: %lu\n", ULONG(caps.CropAlignX));
    std::fprintf(f, "CropAlignY: %lu\n", ULONG(caps.CropAlignY));
    std::fprintf(f, "MinOutputSize: %luX%lu\n", caps.MinOutputSize.cx, caps.MinOutputSize.cy);
    std::fprintf(f, "MaxOutputSize: %luX%lu\n", caps.MaxOutputSize.cx, caps.MaxOutputSize.cy);
    std::fprintf(f, "OutputGranularityX: %lu\n", ULONG(caps.OutputGranularityX));
    std::fprintf(f, "OutputGranularityY: %lu\n", ULONG(caps.OutputGranularityY));
    std::fprintf(f, "StretchTapsX: %lu\n", ULONG(caps.StretchTapsX));
    std::fprintf(f, "StretchTapsY: %lu\n", ULONG(caps.StretchTapsY));
    std::fprintf(f, "ShrinkTapsX: %lu\n", ULONG(caps.ShrinkTapsX));
    std::fprintf(f, "ShrinkTapsY: %lu\n", ULONG(caps.ShrinkTapsY));
    std::fprintf(f, "MinFrameInterval: %lu\n", ULONG(caps.MinFrameInterval));
    std::fprintf(f, "MaxFrameInterval: %lu\n", ULONG(caps.MaxFrameInterval));
    std::fprintf(f, "MinBitsPerSecond: %lu\n", ULONG(caps.MinBitsPerSecond));
    std::fprintf(f, "MaxBitsPerSecond: %lu\n", ULONG(caps.MaxBitsPerSecond));
    std::fprintf(f, "\t majortype: %s\n", static_cast<LPCSTR>(GuidText(pmt->majortype)));
    std::fprintf(f, "\t subtype: %s\n", static_cast<LPCSTR>(GuidText(pmt->subtype)));
    std::fprintf(f, "\t formattype: %s\n", static_cast<LPCSTR>(GuidText(pmt->formattype)));
    std::fprintf(f, "\t bFixedSizeSamples: %lu\n", ULONG(pmt->bFixedSizeSamples));
    std::fprintf(f, "\t bTemporalCompression: %lu\n", ULONG(pmt->bTemporalCompression));
    std::fprintf(f, "\t lSampleSize: %lu\n", pmt->lSampleSize);
    std::fprintf(f, "\t cbFormat: %lu\n", pmt->cbFormat);
    if (const VIDEOINFOHEADER* pvi = GetFormatBlockAs<VIDEOINFOHEADER>(pmt, FORMAT_VideoInfo)) {
        const RECT& s = pvi->rcSource;
        const RECT& t = pvi->rcTarget;
        std::fprintf(f, "\t\t rcSource: L%luT%luB%luR%lu\n", ULONG(s.left), ULONG(s.top), ULONG(s.bottom),
                     ULONG(s.right));
        std::fprintf(f, "\t\t rcTarget: L%luT%luB%luR%lu\n", ULONG(t.left), ULONG(t.top), ULONG(t.bottom),
                     ULONG(t.right));
        std::fprintf(f, "\t\t dwBitRate: %lu\n", pvi->dwBitRate);
        std::fprintf(f, "\t\t dwBitErrorRate: %lu\n", pvi->dwBitErrorRate);
        std::fprintf(f, "\t\t AvgTimePerFrame: %lu\n", ULONG(pvi->AvgTimePerFrame));
        const BITMAPINFOHEADER& b = pvi->bmiHeader;
        std::fprintf(f, "\t\t\t biSize: %lu\n", b.biSize);
        std::fprintf(f, "\t\t\t biWidth: %lu\n", ULONG(b.biWidth));
        std::fprintf(f, "\t\t\t biHeight: %lu\n", ULONG(b.biHeight));
        std::fprintf(f, "\t\t\t biPlanes: %lu\n", ULONG(b.biPlanes));
        std::fprintf(f, "\t\t\t biBitCount: %lu\n", ULONG(b.biBitCount));
        std::fprintf(f, "\t\t\t biCompression: %lu\n", b.biCompression);
        std::fprintf(f, "\t\t\t biSizeImage: %lu\n", b.biSizeImage);
        std::fprintf(f, "\t\t\t biXPelsPerMeter: %lu\n", ULONG(b.biXPelsPerMeter));
        std::fprintf(f, "\t\t\t biYPelsPerMeter: %lu\n", ULONG(b.biYPelsPerMeter));
        std::fprintf(f, "\t\t\t biClrUsed: %lu\n", b.biClrUsed);
        std::fprintf(f, "\t\t\t biClrImportant: %lu\n", b.biClrImportant);
    }
    std::fprintf(f, "\n");
    std::fflush(f);
}
