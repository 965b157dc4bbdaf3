// src/capture/MediaType.cpp
#include "capture/MediaType.h"

#include <uuids.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// {00000000-0000-0010-8000-00AA00389B71}: the FOURCC subtypes differ from it only in the first 32 bits.
const GUID kFourccBase = {0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The format blocks of both media types are equal in size and bytes.
bool SameFormatBlock(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    if (a.cbFormat != b.cbFormat)
        return false;
    if (a.cbFormat == 0)
        return true;
    if (a.pbFormat == nullptr || b.pbFormat == nullptr)
        return a.pbFormat == b.pbFormat;
    return std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

} // namespace

FOURCCMap::FOURCCMap() : GUID(kFourccBase) {}

FOURCCMap::FOURCCMap(DWORD fourcc) : GUID(kFourccBase)
{
    Data1 = fourcc;
}

FOURCCMap::FOURCCMap(const GUID* pGuid) : GUID(kFourccBase)
{
    SetFOURCC(pGuid);
}

void FOURCCMap::SetFOURCC(DWORD fourcc)
{
    *static_cast<GUID*>(this) = kFourccBase;
    Data1 = fourcc;
}

void FOURCCMap::SetFOURCC(const GUID* pGuid)
{
    SetFOURCC(pGuid != nullptr ? pGuid->Data1 : 0);
}

void FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat != 0)
        ::CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk != nullptr) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr)
        return;
    FreeMediaType(*pmt);
    ::CoTaskMemFree(pmt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource)
{
    if (pmtTarget == nullptr || pmtSource == nullptr)
        return E_POINTER;
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat != 0 && pmtSource->pbFormat != nullptr) {
        pmtTarget->pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(pmtSource->cbFormat));
        if (pmtTarget->pbFormat == nullptr) {
            pmtTarget->cbFormat = 0;
            // The reference is not taken, so the target must not release it either.
            pmtTarget->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    } else {
        // A size without a block (or a block without a size) copies as no block at all.
        pmtTarget->cbFormat = 0;
        pmtTarget->pbFormat = nullptr;
    }
    if (pmtTarget->pUnk != nullptr)
        pmtTarget->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSource)
{
    if (pSource == nullptr)
        return nullptr;
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (pmt == nullptr)
        return nullptr;
    if (FAILED(CopyMediaType(pmt, pSource))) {
        ::CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

HRESULT CreateAudioMediaType(const WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt, BOOL bSetFormat)
{
    if (pwfx == nullptr || pmt == nullptr)
        return E_POINTER;
    pmt->majortype = MEDIATYPE_Audio;
    if (pwfx->wFormatTag == WAVE_FORMAT_EXTENSIBLE &&
        pwfx->cbSize >= sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX))
        pmt->subtype = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(pwfx)->SubFormat;
    else
        pmt->subtype = FOURCCMap(pwfx->wFormatTag);
    pmt->formattype = FORMAT_WaveFormatEx;
    pmt->bFixedSizeSamples = TRUE;
    pmt->bTemporalCompression = FALSE;
    pmt->lSampleSize = pwfx->nBlockAlign;
    pmt->pUnk = nullptr;
    if (!bSetFormat)
        return S_OK;
    const ULONG size = pwfx->wFormatTag == WAVE_FORMAT_PCM ? sizeof(WAVEFORMATEX) : sizeof(WAVEFORMATEX) + pwfx->cbSize;
    pmt->pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(size));
    if (pmt->pbFormat == nullptr) {
        pmt->cbFormat = 0;
        return E_OUTOFMEMORY;
    }
    pmt->cbFormat = size;
    if (pwfx->wFormatTag == WAVE_FORMAT_PCM) {
        std::memcpy(pmt->pbFormat, pwfx, 16);
        reinterpret_cast<WAVEFORMATEX*>(pmt->pbFormat)->cbSize = 0;
    } else {
        std::memcpy(pmt->pbFormat, pwfx, size);
    }
    return S_OK;
}

const BYTE* GetFormatBlock(const AM_MEDIA_TYPE* pmt, const GUID& formatType, ULONG nMinimumSize)
{
    if (pmt == nullptr || !IsEqualGUID(pmt->formattype, formatType) || pmt->pbFormat == nullptr ||
        pmt->cbFormat < nMinimumSize)
        return nullptr;
    return pmt->pbFormat;
}

namespace {

// The block up to the sequence header at `headerOffset` and the header's announced length.
template <class Info>
const Info* GetMpegVideoBlock(const AM_MEDIA_TYPE* pmt, const GUID& formatType, size_t headerOffset)
{
    const Info* info = reinterpret_cast<const Info*>(GetFormatBlock(pmt, formatType, ULONG(headerOffset)));
    if (info == nullptr || ULONGLONG(headerOffset) + info->cbSequenceHeader > pmt->cbFormat)
        return nullptr;
    return info;
}

} // namespace

template <>
const MPEG1VIDEOINFO* GetFormatBlockAs<MPEG1VIDEOINFO>(const AM_MEDIA_TYPE* pmt, const GUID& formatType)
{
    return GetMpegVideoBlock<MPEG1VIDEOINFO>(pmt, formatType, offsetof(MPEG1VIDEOINFO, bSequenceHeader));
}

template <>
const MPEG2VIDEOINFO* GetFormatBlockAs<MPEG2VIDEOINFO>(const AM_MEDIA_TYPE* pmt, const GUID& formatType)
{
    return GetMpegVideoBlock<MPEG2VIDEOINFO>(pmt, formatType, offsetof(MPEG2VIDEOINFO, dwSequenceHeader));
}

bool CStreamCapsReader::Open(IAMStreamConfig* pConfig, size_t structureSize)
{
    m_pConfig = pConfig;
    m_count = 0;
    m_recordSize = 0;
    m_buffer.clear();
    int count = 0;
    int recordSize = 0;
    if (pConfig == nullptr || FAILED(pConfig->GetNumberOfCapabilities(&count, &recordSize)) ||
        recordSize > kMaxRecordSize)
        return false;
    m_count = count;
    m_recordSize = recordSize > 0 ? size_t(recordSize) : 0;
    m_buffer.assign(std::max(m_recordSize, structureSize), 0);
    return true;
}

HRESULT CStreamCapsReader::Read(int index, CMediaTypePtr& mt)
{
    if (m_pConfig == nullptr || m_buffer.empty())
        return E_UNEXPECTED;
    std::fill(m_buffer.begin(), m_buffer.end(), BYTE(0));
    return m_pConfig->GetStreamCaps(index, mt.Receive(), m_buffer.data());
}

void CStreamCapsReader::CopyRecord(void* pTarget, size_t size) const
{
    std::memset(pTarget, 0, size);
    const size_t taken = std::min({size, m_recordSize, m_buffer.size()});
    if (taken > 0)
        std::memcpy(pTarget, m_buffer.data(), taken);
}

CMediaType::CMediaType()
{
    InitMediaType();
}

CMediaType::CMediaType(const GUID* pMajorType)
{
    InitMediaType();
    if (pMajorType != nullptr)
        majortype = *pMajorType;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& source, HRESULT* phr)
{
    InitMediaType();
    const HRESULT hr = CopyMediaType(this, &source);
    if (FAILED(hr) && phr != nullptr)
        *phr = hr;
}

CMediaType::CMediaType(const CMediaType& source, HRESULT* phr)
    : CMediaType(static_cast<const AM_MEDIA_TYPE&>(source), phr)
{
}

CMediaType::~CMediaType()
{
    FreeMediaType(*this);
}

void CMediaType::InitMediaType()
{
    std::memset(static_cast<AM_MEDIA_TYPE*>(this), 0, sizeof(AM_MEDIA_TYPE));
    lSampleSize = 1;
    bFixedSizeSamples = TRUE;
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& source)
{
    Set(source);
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& source)
{
    Set(source);
    return *this;
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& source)
{
    if (&source == static_cast<const AM_MEDIA_TYPE*>(this))
        return S_OK;
    FreeMediaType(*this);
    const HRESULT hr = CopyMediaType(this, &source);
    return FAILED(hr) ? E_OUTOFMEMORY : S_OK;
}

bool CMediaType::operator==(const CMediaType& other) const
{
    return IsEqualGUID(majortype, other.majortype) && IsEqualGUID(subtype, other.subtype) &&
           IsEqualGUID(formattype, other.formattype) && SameFormatBlock(*this, other);
}

BOOL CMediaType::IsValid() const
{
    return !IsEqualGUID(majortype, GUID_NULL);
}

BOOL CMediaType::IsPartiallySpecified() const
{
    return IsEqualGUID(majortype, GUID_NULL) || IsEqualGUID(formattype, GUID_NULL);
}

BOOL CMediaType::MatchesPartial(const CMediaType* pPartial) const
{
    if (pPartial == nullptr)
        return FALSE;
    if (!IsEqualGUID(pPartial->majortype, GUID_NULL) && !IsEqualGUID(majortype, pPartial->majortype))
        return FALSE;
    if (!IsEqualGUID(pPartial->subtype, GUID_NULL) && !IsEqualGUID(subtype, pPartial->subtype))
        return FALSE;
    if (!IsEqualGUID(pPartial->formattype, GUID_NULL)) {
        if (!IsEqualGUID(formattype, pPartial->formattype))
            return FALSE;
        if (!SameFormatBlock(*this, *pPartial))
            return FALSE;
    }
    return TRUE;
}

void CMediaType::SetSampleSize(ULONG size)
{
    if (size == 0) {
        bFixedSizeSamples = FALSE;
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = size;
    }
}

void CMediaType::ResetFormatBuffer()
{
    if (cbFormat != 0)
        ::CoTaskMemFree(pbFormat);
    cbFormat = 0;
    pbFormat = nullptr;
}

// The block is kept when it already has the size. When a new block cannot be had, the old one is kept (and
// returned) if it holds at least `size` bytes; otherwise null.
BYTE* CMediaType::AllocFormatBuffer(ULONG size)
{
    if (cbFormat == size && (pbFormat != nullptr || size == 0))
        return pbFormat;
    BYTE* pNew = static_cast<BYTE*>(::CoTaskMemAlloc(size));
    if (pNew == nullptr)
        return cbFormat >= size ? pbFormat : nullptr;
    ResetFormatBuffer();
    pbFormat = pNew;
    cbFormat = size;
    return pbFormat;
}

// As AllocFormatBuffer, but the old bytes (up to the smaller size) move into the new block.
BYTE* CMediaType::ReallocFormatBuffer(ULONG size)
{
    if (cbFormat == size && (pbFormat != nullptr || size == 0))
        return pbFormat;
    BYTE* pNew = static_cast<BYTE*>(::CoTaskMemAlloc(size));
    if (pNew == nullptr)
        return cbFormat >= size ? pbFormat : nullptr;
    if (pbFormat != nullptr && cbFormat != 0)
        std::memcpy(pNew, pbFormat, cbFormat < size ? cbFormat : size);
    ResetFormatBuffer();
    pbFormat = pNew;
    cbFormat = size;
    return pbFormat;
}

BOOL CMediaType::SetFormat(const BYTE* pFormat, ULONG size)
{
    BYTE* pBlock = AllocFormatBuffer(size);
    if (pBlock == nullptr && size != 0)
        return FALSE;
    if (size != 0 && pFormat != nullptr)
        std::memcpy(pBlock, pFormat, size);
    return TRUE;
}
