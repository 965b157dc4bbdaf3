// src/capture/ChannelList.cpp
#include "capture/ChannelList.h"

#include "framework/File.h"
#include "framework/StreamOwner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The keys of a channel's lines, in the order they are tried.
enum ChannelKey {
    keyPNo,
    keyNo,
    keyName,
    keyUserFreq,
    keyOrigFreq,
    keyFreq,
    keyNone
};

struct KeyText {
    ChannelKey key;
    const char* text; // upper case
};

const KeyText kKeys[] = {
    {keyPNo, "PNO:"},           {keyNo, "NO:"},     {keyName, "NAME:"}, {keyUserFreq, "USERFREQ:"},
    {keyOrigFreq, "ORIGFREQ:"}, {keyFreq, "FREQ:"},
};

// The key a line starts with, without regard to case; the writer always puts the key first, so a name that holds
// a key's text (such as "Info: News") is never taken for another key.
ChannelKey MatchKey(const CString& upperLine, int& keyLength)
{
    for (const KeyText& entry : kKeys) {
        const int length = int(std::strlen(entry.text));
        if (std::strncmp(upperLine, entry.text, size_t(length)) == 0) {
            keyLength = length;
            return entry.key;
        }
    }
    return keyNone;
}

// Leading blanks, an optional sign and decimal digits; 0 when there are none.
LONG DecimalValue(const CString& text)
{
    return LONG(std::strtol(text, nullptr, 10));
}

} // namespace

CChannel::CChannel() : m_nNumber(-1), m_nProgramNumber(1), m_nFrequency(0), m_nUserFrequency(0), m_nOriginalFrequency(0)
{
}

CChannel::~CChannel() = default;

CChannelList::CChannelList() : m_nListNumber(0), m_nSelectedChannel(1) {}

CChannelList::~CChannelList()
{
    m_channels.RemoveAll();
}

LONG CChannelList::GetChannelNumber(LONG programNumber) const
{
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nProgramNumber == programNumber)
            return m_channels[i].m_nNumber;
    return -1;
}

LONG CChannelList::GetProgramNumber(LONG channelNumber) const
{
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nNumber == channelNumber)
            return m_channels[i].m_nProgramNumber;
    return 0;
}

LONG CChannelList::GetFirstProgramNumber() const
{
    LONG first = -1;
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i) {
        const LONG pno = m_channels[i].m_nProgramNumber;
        if (pno != -1 && (first == -1 || pno < first))
            first = pno;
    }
    return first == -1 ? 0 : first;
}

LONG CChannelList::GetLastProgramNumber() const
{
    LONG last = 1;
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nProgramNumber > last)
            last = m_channels[i].m_nProgramNumber;
    return last;
}

LONG CChannelList::GetNextProgramNumber(LONG programNumber) const
{
    for (INT_PTR i = 0; i + 1 < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nProgramNumber == programNumber)
            return m_channels[i + 1].m_nProgramNumber;
    return programNumber;
}

LONG CChannelList::GetPrevProgramNumber(LONG programNumber) const
{
    for (INT_PTR i = m_channels.GetSize() - 1; i >= 1; --i)
        if (m_channels[i].m_nProgramNumber == programNumber)
            return m_channels[i - 1].m_nProgramNumber;
    return programNumber;
}

CString CChannelList::GetChannelName(LONG channelNumber) const
{
    if (channelNumber == -1)
        channelNumber = m_nSelectedChannel;
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nNumber == channelNumber)
            return m_channels[i].m_strName;
    return "Channel not found";
}

CChannel CChannelList::GetChannel(LONG channelNumber) const
{
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i)
        if (m_channels[i].m_nNumber == channelNumber)
            return m_channels[i];
    return CChannel();
}

INT_PTR CChannelList::AddChannel(CChannel channel)
{
    return m_channels.Add(channel);
}

BOOL CChannelList::SaveFile(const CString& path) const
{
    CStreamOwner stream = OpenStream(path, "wt");
    if (stream.get() == nullptr)
        return FALSE;
    CStdioFile file(stream.get());
    CString line;
    file.WriteString("[DEVICE]\n");
    line.Format("index: %ld\n\n", long(m_nListNumber));
    file.WriteString(line);
    for (INT_PTR i = 0; i < m_channels.GetSize(); ++i) {
        const CChannel& channel = m_channels[i];
        file.WriteString("[CHANNEL]\n");
        line.Format("PNo:%ld\nNo:%ld\nFreq:%ld\nOrigFreq:%ld\nUserFreq:%ld\n", long(channel.m_nProgramNumber),
                    long(channel.m_nNumber), long(channel.m_nFrequency), long(channel.m_nOriginalFrequency),
                    long(channel.m_nUserFrequency));
        file.WriteString(line);
        file.WriteString("Name:" + channel.m_strName + "\n\n");
    }
    return std::fflush(stream.get()) == 0 && !std::ferror(stream.get());
}

// Key lines before the first channel have no channel to fill and are passed over.
BOOL CChannelList::LoadFile(const CString& path)
{
    CStreamOwner stream = OpenStream(path, "rt");
    if (stream.get() == nullptr)
        return FALSE;
    CStdioFile file(stream.get());
    m_channels.RemoveAll();
    CString line;
    while (file.ReadString(line)) {
        CString upper(line);
        upper.MakeUpper();
        if (upper == "[CHANNEL]") {
            m_channels.Add(CChannel());
            continue;
        }
        int keyLength = 0;
        const ChannelKey key = MatchKey(upper, keyLength);
        if (key == keyNone || m_channels.IsEmpty())
            continue;
        CChannel& channel = m_channels[m_channels.GetSize() - 1];
        const CString value = line.Mid(keyLength);
        switch (key) {
        case keyPNo:
            channel.m_nProgramNumber = DecimalValue(value);
            break;
        case keyNo:
            channel.m_nNumber = DecimalValue(value);
            break;
        case keyName:
            channel.m_strName = value;
            break;
        case keyUserFreq:
            channel.m_nUserFrequency = DecimalValue(value);
            break;
        case keyOrigFreq:
            channel.m_nOriginalFrequency = DecimalValue(value);
            break;
        case keyFreq:
            channel.m_nFrequency = DecimalValue(value);
            break;
        case keyNone:
            break;
        }
    }
    return TRUE;
}
