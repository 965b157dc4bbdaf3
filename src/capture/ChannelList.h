// src/capture/ChannelList.h
// The TV channels of one capture device: CChannel is one channel as the tuner and the user know it, CChannelList
// the device's list with its file "Channels<n>.kvc" (a small text file, one block of key lines per channel).
#ifndef TAVISK_CAPTURE_CHANNELLIST_H
#define TAVISK_CAPTURE_CHANNELLIST_H

#include "framework/Array.h"
#include "framework/String.h"

#include <windows.h>

class CChannel {
public:
    CChannel();
    ~CChannel();
    CChannel(const CChannel& other) = default;
    CChannel& operator=(const CChannel& other) = default;

    LONG m_nNumber;            // channel number as the tuner knows it ("No" in the file)
    LONG m_nProgramNumber;     // programme number: the user's position of the channel ("PNo")
    LONG m_nFrequency;         // "Freq"
    LONG m_nUserFrequency;     // frequency set by the user ("UserFreq")
    LONG m_nOriginalFrequency; // original frequency ("OrigFreq")
    CString m_strName;
};

class CChannelList {
public:
    CChannelList();
    ~CChannelList();
    CChannelList(const CChannelList& other) = default;
    CChannelList& operator=(const CChannelList& other) = default;

    // The number of the first channel with this programme number, else -1.
    LONG GetChannelNumber(LONG programNumber) const;
    // The programme number of the first channel with this channel number, else 0.
    LONG GetProgramNumber(LONG channelNumber) const;
    // The lowest programme number (-1 counts as none); 0 for an empty list.
    LONG GetFirstProgramNumber() const;
    // The highest programme number, at least 1.
    LONG GetLastProgramNumber() const;
    // The programme number of the channel after (before) the one with this programme number, by list position;
    // the argument itself when there is none.
    LONG GetNextProgramNumber(LONG programNumber) const;
    LONG GetPrevProgramNumber(LONG programNumber) const;
    // The name of the channel with this number (-1: the selected channel), else "Channel not found".
    CString GetChannelName(LONG channelNumber) const;
    // A copy of the channel with this number, else a default channel.
    CChannel GetChannel(LONG channelNumber) const;
    // Appends a copy; returns its index.
    INT_PTR AddChannel(CChannel channel);

    // Writes the list as a channel-list file; FALSE when the file cannot be created.
    BOOL SaveFile(const CString& path) const;
    // Replaces the list by the file's channels; FALSE (list unchanged) when the file cannot be opened.
    BOOL LoadFile(const CString& path);

    LONG m_nListNumber;          // number of the device's file "Channels<n>.kvc"
    LONG m_nSelectedChannel;     // number of the selected channel
    CArray<CChannel> m_channels; // in file order
};

#endif
