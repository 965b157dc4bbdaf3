// src/capture/MediaType.h
// The DirectShow media-type helpers every part of the capture side uses to copy, compare and free AM_MEDIA_TYPE
// structures, and the FOURCC <-> subtype GUID mapping. They behave as the helpers of the DirectShow sample
// library of the same names; every media type a DirectShow enumeration or GetFormat hands out is given back
// through DeleteMediaType.
#ifndef TAVISK_CAPTURE_MEDIATYPE_H
#define TAVISK_CAPTURE_MEDIATYPE_H

#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <mmreg.h>

#include <vector>

// The subtype GUID {XXXXXXXX-0000-0010-8000-00AA00389B71} of a FOURCC (the FOURCC in the first 32 bits).
class FOURCCMap : public GUID {
public:
    FOURCCMap();
    explicit FOURCCMap(DWORD fourcc);
    explicit FOURCCMap(const GUID* pGuid);
    DWORD GetFOURCC() const { return Data1; }
    void SetFOURCC(DWORD fourcc);
    void SetFOURCC(const GUID* pGuid);
};

// A FOURCC from four characters: 'A' in the lowest byte, 'D' in the highest.
constexpr DWORD MakeFourCC(char a, char b, char c, char d)
{
    return DWORD(BYTE(a)) | (DWORD(BYTE(b)) << 8) | (DWORD(BYTE(c)) << 16) | (DWORD(BYTE(d)) << 24);
}

// Frees the format block (when its size is not zero) and releases pUnk; the structure itself stays.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// FreeMediaType, then CoTaskMemFree of the structure; nothing for null.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy: every field, a format block of its own (size 0 and E_OUTOFMEMORY when it cannot be had), a
// reference added to pUnk.
HRESULT CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
// A deep copy in memory from CoTaskMemAlloc; null when either step fails.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSource);
// An audio media type for a wave format: subtype from the format tag (or the sub-format of an extensible format),
// FORMAT_WaveFormatEx, fixed-size samples of the block alignment. With bSetFormat, the format block holds the
// wave format: 18 bytes for PCM (extra size 0), 18 + extra size otherwise.
HRESULT CreateAudioMediaType(const WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt, BOOL bSetFormat);

// The format block of a media type as the structure its format type promises, or null when the type is of
// another format type, has no block, or has a block shorter than the structure. Blocks from drivers are read only
// through this check.
const BYTE* GetFormatBlock(const AM_MEDIA_TYPE* pmt, const GUID& formatType, ULONG nMinimumSize);
template <class T>
const T* GetFormatBlockAs(const AM_MEDIA_TYPE* pmt, const GUID& formatType)
{
    return reinterpret_cast<const T*>(GetFormatBlock(pmt, formatType, sizeof(T)));
}

// An MPEG-1 or MPEG-2 video block ends in its sequence header, whose length it announces: a block is whole when it
// holds the fixed part up to the sequence header and the announced header, so a block with a short or empty
// sequence header is shorter than the structure. Null when the block is shorter than that.
template <>
const MPEG1VIDEOINFO* GetFormatBlockAs<MPEG1VIDEOINFO>(const AM_MEDIA_TYPE* pmt, const GUID& formatType);
template <>
const MPEG2VIDEOINFO* GetFormatBlockAs<MPEG2VIDEOINFO>(const AM_MEDIA_TYPE* pmt, const GUID& formatType);

// Owns a media type handed out by DirectShow (GetFormat, GetStreamCaps, enumerators) and gives it back through
// DeleteMediaType.
class CMediaTypePtr {
public:
    CMediaTypePtr() = default;
    CMediaTypePtr(const CMediaTypePtr&) = delete;
    CMediaTypePtr& operator=(const CMediaTypePtr&) = delete;
    ~CMediaTypePtr() { DeleteMediaType(m_pmt); }
    // Frees the type held and returns the empty slot for a call that hands one out.
    AM_MEDIA_TYPE** Receive()
    {
        DeleteMediaType(m_pmt);
        m_pmt = nullptr;
        return &m_pmt;
    }
    AM_MEDIA_TYPE* get() const { return m_pmt; }
    AM_MEDIA_TYPE* operator->() const { return m_pmt; }

private:
    AM_MEDIA_TYPE* m_pmt = nullptr;
};

// Reads the capabilities of a stream configuration one by one. A driver writes as many record bytes as the record
// size it announces, whatever size the caller's structure has, so each record goes into a buffer of that size (and
// of at least one structure, for a driver that announces less and still writes a whole one). A record reads back
// as the caller's structure: the announced bytes, zeros past them. An announced size of 0 or less gives records of
// zeros; a size beyond any capability record is refused.
class CStreamCapsReader {
public:
    // The largest record size taken; the standard records have 52 and 128 bytes.
    static const int kMaxRecordSize = 0x10000;

    // Reads the capability count and record size; `structureSize` is the size of the structure the caller reads.
    // False, with no capabilities, when the count cannot be read or the record size is refused.
    bool Open(IAMStreamConfig* pConfig, size_t structureSize);
    int GetCount() const { return m_count; }
    // GetStreamCaps of capability `index` into the buffer, cleared first; its result.
    HRESULT Read(int index, CMediaTypePtr& mt);
    // The record of the capability read last.
    template <class Caps>
    Caps Record() const
    {
        Caps caps;
        CopyRecord(&caps, sizeof caps);
        return caps;
    }

private:
    void CopyRecord(void* pTarget, size_t size) const;

    IAMStreamConfig* m_pConfig = nullptr;
    int m_count = 0;
    size_t m_recordSize = 0;
    std::vector<BYTE> m_buffer;
};

// The writable format block of a media type as T, under the same checks as GetFormatBlockAs.
template <class T>
T* GetWritableFormatBlockAs(AM_MEDIA_TYPE* pmt, const GUID& formatType)
{
    return const_cast<T*>(GetFormatBlockAs<T>(pmt, formatType));
}

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* pMajorType);
    CMediaType(const AM_MEDIA_TYPE& source, HRESULT* phr = nullptr);
    CMediaType(const CMediaType& source, HRESULT* phr = nullptr);
    ~CMediaType();

    CMediaType& operator=(const AM_MEDIA_TYPE& source);
    CMediaType& operator=(const CMediaType& source);
    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    HRESULT Set(const AM_MEDIA_TYPE& source);
    HRESULT Set(const CMediaType& source) { return Set(static_cast<const AM_MEDIA_TYPE&>(source)); }
    BOOL IsValid() const;
    BOOL IsPartiallySpecified() const;
    BOOL MatchesPartial(const CMediaType* pPartial) const;

    const GUID* Type() const { return &majortype; }
    const GUID* Subtype() const { return &subtype; }
    const GUID* FormatType() const { return &formattype; }
    void SetType(const GUID* pType) { majortype = *pType; }
    void SetSubtype(const GUID* pType) { subtype = *pType; }
    void SetFormatType(const GUID* pType) { formattype = *pType; }
    void SetTemporalCompression(BOOL bCompressed) { bTemporalCompression = bCompressed; }
    void SetSampleSize(ULONG size);
    ULONG GetSampleSize() const { return bFixedSizeSamples ? lSampleSize : 0; }
    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }

    ULONG FormatLength() const { return cbFormat; }
    BYTE* Format() const { return pbFormat; }
    // A format block of exactly `size` bytes; see the definition for what happens when memory runs out.
    BYTE* AllocFormatBuffer(ULONG size);
    BYTE* ReallocFormatBuffer(ULONG size);
    BOOL SetFormat(const BYTE* pFormat, ULONG size);
    void ResetFormatBuffer();
    void InitMediaType();
};

#endif
