// src/capture/FormatRecords.h
// The value records of the capture side: one frame size with its frame intervals, one video format with its frame
// sizes, one audio format. The capability enumeration fills arrays of them, the device classes apply them to the
// capture pins, and the report names a video format with CVideoFormat::GetFormatName. All three copy deeply.
#ifndef TAVISK_CAPTURE_FORMATRECORDS_H
#define TAVISK_CAPTURE_FORMATRECORDS_H

#include "framework/Array.h"
#include "framework/String.h"

#include <windows.h>
#include <mmreg.h>

class CFrameSize {
public:
    CFrameSize();
    ~CFrameSize();
    CFrameSize(const CFrameSize& other) = default;
    CFrameSize& operator=(const CFrameSize& other) = default;

    LONG m_nWidth;                        // pixels
    LONG m_nHeight;                       // pixels
    DWORD m_nMinBitRate;                  // bits per second
    DWORD m_nMaxBitRate;                  // bits per second; applied when the size has no frame interval
    CArray<LONGLONG> m_arrFrameIntervals; // frame durations in 100-ns units (400000 = 25 frames per second)
};

class CVideoFormat {
public:
    CVideoFormat();
    ~CVideoFormat();
    CVideoFormat(const CVideoFormat& other) = default;
    CVideoFormat& operator=(const CVideoFormat& other) = default;

    // Zeroes the head (both GUIDs, compression, capability index, flag) and drops every frame size.
    void Clear();
    // The display name of the format: "MPEG2", "MPEG1", a compression or subtype name for FORMAT_VideoInfo, the
    // subtype's four characters as the last resort; empty for any other format type.
    CString GetFormatName() const;

    GUID m_formatType;    // FORMAT_VideoInfo, FORMAT_MPEGVideo, FORMAT_MPEG2Video, ...
    GUID m_subType;       // a media subtype such as MEDIASUBTYPE_RGB24
    DWORD m_nCompression; // FOURCC: biCompression of the format's bitmap header
    LONG m_nCapsIndex;    // index of the stream capability the format came from
    BYTE m_bFrameRate;    // chosen by frame rate rather than by bit rate
    CArray<CFrameSize> m_arrFrameSizes;
};

class CAudioFormat {
public:
    enum {
        kExtensionSize = 40
    };

    CAudioFormat();
    ~CAudioFormat();
    CAudioFormat(const CAudioFormat& other) = default;
    CAudioFormat& operator=(const CAudioFormat& other) = default;

    LONG m_nCapsIndex;                // index of the stream capability the format came from
    WAVEFORMATEX m_waveFormat;        // 18 bytes
    BYTE m_extension[kExtensionSize]; // the bytes that follow the wave format in its format block
    GUID m_formatType;                // FORMAT_WaveFormatEx for the formats the device classes keep
    GUID m_subType;
};

#endif
