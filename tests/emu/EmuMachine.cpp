// tests/emu/EmuMachine.cpp
#include "EmuMachine.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

struct HandlerSlot {
    EmuHandler pfn;
    int nPriority;
};

HandlerSlot* Handlers()
{
    static HandlerSlot slots[256] = {};
    return slots;
}

void FixedSense(uint8_t* pSense, uint8_t nKey, uint8_t nAsc, uint8_t nAscq)
{
    std::memset(pSense, 0, 18);
    pSense[0] = 0x70;
    pSense[2] = nKey;
    pSense[7] = 10;
    pSense[12] = nAsc;
    pSense[13] = nAscq;
}

const int kPeripheralCdDvd = 5;

std::string UpperPath(const char* psz)
{
    std::string str(psz != nullptr ? psz : "");
    for (char& ch : str)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    return str;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Handler registry and the command object

void EmuRegisterHandler(uint8_t nOpcode, EmuHandler pfnHandler, int nPriority)
{
    HandlerSlot& slot = Handlers()[nOpcode];
    if (slot.pfn == nullptr || nPriority >= slot.nPriority) {
        slot.pfn = pfnHandler;
        slot.nPriority = nPriority;
    }
}

EmuHandler EmuGetHandler(uint8_t nOpcode)
{
    return Handlers()[nOpcode].pfn;
}

static EmuMediumHook g_pfnMediumHook = nullptr;

static EmuMediumHook g_pfnWriterHook = nullptr;

void EmuSetWriterHook(EmuMediumHook pfnHook)
{
    g_pfnWriterHook = pfnHook;
}

void EmuSetMediumHook(EmuMediumHook pfnHook)
{
    g_pfnMediumHook = pfnHook;
}

static const EmuAnswerHooks* g_pAnswerHooks = nullptr;

void EmuSetAnswerHooks(const EmuAnswerHooks* pHooks)
{
    g_pAnswerHooks = pHooks;
}

int64_t CEmuDrive::GetInt(const char* pszKey, int64_t nDefault) const
{
    auto it = m_Ints.find(pszKey);
    return it == m_Ints.end() ? nDefault : it->second;
}

const std::vector<uint8_t>* CEmuDrive::GetBytes(const char* pszKey) const
{
    auto it = m_Bytes.find(pszKey);
    return it == m_Bytes.end() ? nullptr : &it->second;
}

void CEmuDrive::SetBytes(const char* pszKey, const void* pData, size_t nLength)
{
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    m_Bytes[pszKey].assign(p, p + nLength);
}

// Like a real drive: the host gets at most its allocation length; what the answer's own length fields say is
// up to the handler, which reports what the drive holds.
void EmuCommand::Reply(const void* pData, uint32_t nFullLength)
{
    uint32_t nCopy = std::min(nFullLength, nAllocation);
    if (pDataIn == nullptr)
        nCopy = 0;
    if (nCopy > 0)
        std::memcpy(pDataIn, pData, nCopy);
    nTransferred = nCopy;
}

uint32_t EmuCommand::DataOut(const uint8_t** ppData)
{
    *ppData = pDataOut;
    nTransferred = pDataOut != nullptr ? nDataOutLength : 0;
    return nTransferred;
}

void EmuCommand::CheckCondition(uint8_t nKey, uint8_t nAsc, uint8_t nAscq)
{
    nStatus = kEmuStatusCheckCondition;
    FixedSense(sense, nKey, nAsc, nAscq);
}

void EmuCommand::CheckConditionRaw(const uint8_t* pSense, uint32_t nLength)
{
    nStatus = kEmuStatusCheckCondition;
    std::memset(sense, 0, sizeof(sense));
    std::memcpy(sense, pSense, std::min<uint32_t>(nLength, sizeof(sense)));
}

// 96 bytes: peripheral byte, removable medium, SPC version, response format 2, additional length 91 (what the
// drive holds), byte 7, then vendor, product and revision padded with blanks. A raw "inquiry" blob replaces it.
void EmuBuildInquiry(const CEmuDrive& drive, uint8_t* pAnswer96)
{
    std::memset(pAnswer96, 0, 96);
    if (const std::vector<uint8_t>* pRaw = drive.GetBytes(EMU_KEY_INQUIRY)) {
        std::memcpy(pAnswer96, pRaw->data(), std::min<size_t>(pRaw->size(), 96));
        return;
    }
    pAnswer96[0] = uint8_t(drive.GetInt(EMU_KEY_PERIPHERAL, kPeripheralCdDvd));
    pAnswer96[1] = 0x80;
    pAnswer96[2] = 0x00;
    pAnswer96[3] = 0x02;
    pAnswer96[4] = 96 - 5;
    pAnswer96[7] = uint8_t(drive.GetInt(EMU_KEY_INQUIRY_B7, 0));
    std::memset(pAnswer96 + 8, ' ', 28);
    std::memcpy(pAnswer96 + 8, drive.m_strVendor.data(), std::min<size_t>(drive.m_strVendor.size(), 8));
    std::memcpy(pAnswer96 + 16, drive.m_strProduct.data(), std::min<size_t>(drive.m_strProduct.size(), 16));
    std::memcpy(pAnswer96 + 32, drive.m_strRevision.data(), std::min<size_t>(drive.m_strRevision.size(), 4));
}

// ---------------------------------------------------------------------------------------------------------------
// The machine

CEmuMachine& CEmuMachine::Instance()
{
    static CEmuMachine machine;
    return machine;
}

IEmuMachine* EmuGetMachine()
{
    return &CEmuMachine::Instance();
}

CEmuMachine::CEmuMachine() : m_nOpenHandles(0), m_nSequence(0), m_nTimeUs(0)
{
    InitializeCriticalSection(&m_Lock);
    ResetLocked();
}

void CEmuMachine::ResetLocked()
{
    m_Drives.clear();
    m_SenseQueues.clear();
    m_Log.clear();
    m_LogData.clear();
    m_LogDigests.clear();
    m_nSequence = 0;
    m_nAspiStatus = 1;
    m_nAspiAdapterCount = 0;
    m_nAspiCompletion = kEmuAspiImmediate;
    m_nAspiSignalsFailed = 0;
    m_AspiAdapters.clear();
    m_AspiDevices.clear();
    for (Letter& letter : m_Letters)
        letter = Letter();
    m_Ports.clear();
    m_FailingIoctls.clear();
    m_OpenCounts.clear();
}

void CEmuMachine::Reset()
{
    CEmuLock lock(m_Lock);
    ResetLocked();
}

CEmuDrive* CEmuMachine::Drive(int nDrive)
{
    if (nDrive < 0 || size_t(nDrive) >= m_Drives.size())
        return nullptr;
    return m_Drives[size_t(nDrive)].get();
}

int CEmuMachine::AddDrive(const char* pszVendor, const char* pszProduct, const char* pszRevision)
{
    CEmuLock lock(m_Lock);
    std::unique_ptr<CEmuDrive> drive(new CEmuDrive);
    drive->m_nId = int(m_Drives.size());
    drive->m_strVendor = pszVendor != nullptr ? pszVendor : "";
    drive->m_strProduct = pszProduct != nullptr ? pszProduct : "";
    drive->m_strRevision = pszRevision != nullptr ? pszRevision : "";
    m_Drives.push_back(std::move(drive));
    return int(m_Drives.size()) - 1;
}

int CEmuMachine::GetDriveCount()
{
    CEmuLock lock(m_Lock);
    return int(m_Drives.size());
}

void CEmuMachine::SetInt(int nDrive, const char* pszKey, int64_t nValue)
{
    CEmuLock lock(m_Lock);
    if (CEmuDrive* pDrive = Drive(nDrive))
        pDrive->SetInt(pszKey, nValue);
}

int64_t CEmuMachine::GetInt(int nDrive, const char* pszKey, int64_t nDefault)
{
    CEmuLock lock(m_Lock);
    CEmuDrive* pDrive = Drive(nDrive);
    return pDrive != nullptr ? pDrive->GetInt(pszKey, nDefault) : nDefault;
}

void CEmuMachine::SetBytes(int nDrive, const char* pszKey, const void* pData, uint32_t nLength)
{
    CEmuLock lock(m_Lock);
    if (CEmuDrive* pDrive = Drive(nDrive))
        pDrive->SetBytes(pszKey, pData, nLength);
}

uint32_t CEmuMachine::GetBytes(int nDrive, const char* pszKey, void* pBuffer, uint32_t nCapacity)
{
    CEmuLock lock(m_Lock);
    CEmuDrive* pDrive = Drive(nDrive);
    const std::vector<uint8_t>* pBytes = pDrive != nullptr ? pDrive->GetBytes(pszKey) : nullptr;
    if (pBytes == nullptr)
        return 0;
    if (pBuffer != nullptr)
        std::memcpy(pBuffer, pBytes->data(), std::min<size_t>(nCapacity, pBytes->size()));
    return uint32_t(pBytes->size());
}

void CEmuMachine::QueueSense(int nDrive, int nOpcode, uint8_t nKey, uint8_t nAsc, uint8_t nAscq, int nCount)
{
    uint8_t sense[18];
    FixedSense(sense, nKey, nAsc, nAscq);
    QueueSenseBytes(nDrive, nOpcode, sense, sizeof(sense), nCount);
}

void CEmuMachine::QueueSenseBytes(int nDrive, int nOpcode, const uint8_t* pSense, uint32_t nLength, int nCount)
{
    CEmuLock lock(m_Lock);
    QueuedSense entry;
    entry.nOpcode = nOpcode;
    std::memset(entry.sense, 0, sizeof(entry.sense));
    std::memcpy(entry.sense, pSense, std::min<uint32_t>(nLength, sizeof(entry.sense)));
    entry.nRemaining = nCount;
    if (nCount > 0)
        m_SenseQueues[nDrive].push_back(entry);
}

void CEmuMachine::ClearSenseQueue(int nDrive)
{
    CEmuLock lock(m_Lock);
    m_SenseQueues.erase(nDrive);
}

void CEmuMachine::SetAspiSupport(uint8_t nStatus, uint8_t nAdapterCount)
{
    CEmuLock lock(m_Lock);
    m_nAspiStatus = nStatus;
    m_nAspiAdapterCount = nAdapterCount;
}

void CEmuMachine::SetAspiCompletion(int nMode)
{
    CEmuLock lock(m_Lock);
    m_nAspiCompletion = nMode;
}

int CEmuMachine::GetAspiSignalsOutstanding()
{
    CEmuLock lock(m_Lock);
    return m_nAspiSignalsOutstanding;
}

int CEmuMachine::GetAspiSignalsFailed()
{
    CEmuLock lock(m_Lock);
    return m_nAspiSignalsFailed;
}

void CEmuMachine::SetAspiAdapter(int nAdapter, uint8_t nScsiId, const char* pszManagerId, const char* pszIdentifier,
                                 const uint8_t* pUnique16)
{
    CEmuLock lock(m_Lock);
    AspiAdapter& adapter = m_AspiAdapters[nAdapter];
    adapter.nScsiId = nScsiId;
    adapter.strManagerId = pszManagerId != nullptr ? pszManagerId : "";
    adapter.strIdentifier = pszIdentifier != nullptr ? pszIdentifier : "";
    if (pUnique16 != nullptr)
        std::memcpy(adapter.unique, pUnique16, 16);
}

void CEmuMachine::AttachAspi(int nDrive, int nAdapter, int nTarget, int nLun)
{
    CEmuLock lock(m_Lock);
    m_AspiDevices[std::make_tuple(nAdapter, nTarget, nLun)] = nDrive;
}

void CEmuMachine::SetLetter(int nLetter, uint32_t nDriveType, int nDrive)
{
    CEmuLock lock(m_Lock);
    if (nLetter < 0 || nLetter >= 26)
        return;
    m_Letters[nLetter].nDriveType = nDriveType;
    m_Letters[nLetter].nDrive = nDrive;
}

void CEmuMachine::SetLetterAddress(int nLetter, int nPort, int nPathId, int nTarget, int nLun)
{
    CEmuLock lock(m_Lock);
    if (nLetter < 0 || nLetter >= 26)
        return;
    Letter& letter = m_Letters[nLetter];
    letter.bHasAddress = nPort >= 0;
    letter.nPort = nPort;
    letter.nPathId = nPathId;
    letter.nTarget = nTarget;
    letter.nLun = nLun;
}

void CEmuMachine::SetLetterOpenFails(int nLetter, bool bFails)
{
    CEmuLock lock(m_Lock);
    if (nLetter >= 0 && nLetter < 26)
        m_Letters[nLetter].bOpenFails = bFails;
}

void CEmuMachine::AddPort(int nPort)
{
    CEmuLock lock(m_Lock);
    m_Ports[nPort];
}

void CEmuMachine::AttachPort(int nDrive, int nPort, int nPathId, int nTarget, int nLun)
{
    CEmuLock lock(m_Lock);
    m_Ports[nPort].devices.push_back(PortDevice{nDrive, nPathId, nTarget, nLun});
}

void CEmuMachine::SetPortInquiryData(int nPort, const void* pData, uint32_t nLength)
{
    CEmuLock lock(m_Lock);
    Port& port = m_Ports[nPort];
    port.bRaw = true;
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    port.raw.assign(p, p + nLength);
}

void CEmuMachine::SetIoctlFails(uint32_t nCode, bool bFails)
{
    CEmuLock lock(m_Lock);
    if (bFails)
        m_FailingIoctls.insert(nCode);
    else
        m_FailingIoctls.erase(nCode);
}

void CEmuMachine::ClearLog()
{
    CEmuLock lock(m_Lock);
    m_Log.clear();
    m_LogData.clear();
    m_LogDigests.clear();
    m_nSequence = 0;
}

int CEmuMachine::GetLogCount()
{
    CEmuLock lock(m_Lock);
    return int(m_Log.size());
}

bool CEmuMachine::GetLogEntry(int nIndex, EmuLogEntry* pEntry)
{
    CEmuLock lock(m_Lock);
    if (nIndex < 0 || size_t(nIndex) >= m_Log.size())
        return false;
    *pEntry = m_Log[size_t(nIndex)];
    return true;
}

uint32_t CEmuMachine::GetLogDataOut(int nIndex, void* pBuffer, uint32_t nCapacity)
{
    CEmuLock lock(m_Lock);
    if (nIndex < 0 || size_t(nIndex) >= m_LogData.size())
        return 0;
    const std::vector<uint8_t>& data = m_LogData[size_t(nIndex)];
    if (pBuffer != nullptr)
        std::memcpy(pBuffer, data.data(), std::min<size_t>(nCapacity, data.size()));
    return uint32_t(data.size());
}

uint64_t CEmuMachine::GetLogDataOutDigest(int nIndex)
{
    CEmuLock lock(m_Lock);
    if (nIndex < 0 || size_t(nIndex) >= m_LogData.size())
        return 0;
    const std::vector<uint8_t>& data = m_LogData[size_t(nIndex)];
    return data.size() == m_Log[size_t(nIndex)].nDataOutLength ? EmuDigest(data.data(), data.size())
                                                               : m_LogDigests[size_t(nIndex)];
}

uint64_t CEmuMachine::GetTimeUs()
{
    CEmuLock lock(m_Lock);
    return m_nTimeUs;
}

void CEmuMachine::AdvanceUs(uint64_t nMicroseconds)
{
    CEmuLock lock(m_Lock);
    m_nTimeUs += nMicroseconds;
}

int CEmuMachine::GetOpenHandleCount()
{
    CEmuLock lock(m_Lock);
    return m_nOpenHandles;
}

uint32_t CEmuMachine::GetDeviceOpenCount(const char* pszDevicePath)
{
    CEmuLock lock(m_Lock);
    auto it = m_OpenCounts.find(UpperPath(pszDevicePath));
    return it == m_OpenCounts.end() ? 0 : it->second;
}

uint32_t CEmuMachine::AppendLog(EmuLogEntry& entry, const uint8_t* pDataOut, uint32_t nDataOutLength)
{
    entry.nSequence = m_nSequence++;
    entry.nThreadId = GetCurrentThreadId();
    entry.nDataOutLength = pDataOut != nullptr ? nDataOutLength : 0;
    m_Log.push_back(entry);
    const CEmuDrive* pDrive = Drive(entry.nDrive);
    const int64_t nKeep = pDrive != nullptr ? pDrive->GetInt(EMU_KEY_LOG_KEEP, -1) : -1;
    if (nKeep >= 0 && entry.nDataOutLength > nKeep) {
        m_LogData.emplace_back();
        m_LogDigests.push_back(EmuDigest(pDataOut, entry.nDataOutLength));
    } else {
        m_LogData.emplace_back(pDataOut, pDataOut + entry.nDataOutLength);
        m_LogDigests.push_back(0);
    }
    return entry.nSequence;
}

void CEmuMachine::LogOther(const EmuLogEntry& entry, const uint8_t* pDataOut, uint32_t nDataOutLength)
{
    CEmuLock lock(m_Lock);
    EmuLogEntry copy = entry;
    copy.nTimeUs = m_nTimeUs;
    AppendLog(copy, pDataOut, nDataOutLength);
}

// One command: a scripted sense for its operation code (or for any code) ends it at once in CHECK CONDITION;
// otherwise the opcode's handler answers, and an opcode without a handler is refused with 5/20/00 unless the
// drive is not strict. The command is logged with the data-out bytes the host sent, and the virtual clock moves
// on by the drive's delay.
EmuScsiResult CEmuMachine::ExecuteScsi(const EmuScsiRequest& request)
{
    CEmuLock lock(m_Lock);
    EmuLogEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    entry.nDrive = request.nDrive;
    entry.nKind = kEmuRequestScsi;
    entry.nFrontEnd = request.nFrontEnd;
    entry.nLetter = request.nLetter;
    entry.nAdapter = request.nAdapter;
    entry.nPathId = request.nPathId;
    entry.nTarget = request.nTarget;
    entry.nLun = request.nLun;
    entry.nCdbLength = std::min(request.nCdbLength, 16);
    std::memcpy(entry.cdb, request.pCdb, size_t(entry.nCdbLength));
    entry.nDirection = request.nDirection;
    entry.nTransferLength = request.nLength;
    entry.nTimeoutSeconds = request.nTimeoutSeconds;
    entry.nAspiFlags = request.nAspiFlags;
    entry.nSenseLength = request.nSenseLength;
    entry.nTimeUs = m_nTimeUs;

    EmuScsiResult result;
    std::memset(&result, 0, sizeof(result));
    CEmuDrive* pDrive = Drive(request.nDrive);
    const uint8_t* pDataOut = request.nDirection == kEmuDirOut ? request.pData : nullptr;
    if (pDrive == nullptr) {
        result.nStatus = kEmuStatusGood;
        entry.nDrive = -1;
        AppendLog(entry, pDataOut, request.nLength);
        return result;
    }

    uint8_t cdb[16] = {};
    std::memcpy(cdb, request.pCdb, size_t(entry.nCdbLength));
    EmuCommand command;
    std::memset(&command, 0, sizeof(command));
    command.pDrive = pDrive;
    command.cdb = cdb;
    command.nCdbLength = entry.nCdbLength;
    command.nDirection = request.nDirection;
    // A host that names no direction but passes a buffer lets the drive decide, as an ASPI layer does.
    bool bEither = request.nDirection == kEmuDirNone && request.pData != nullptr && request.nLength > 0;
    if (request.nDirection == kEmuDirIn || bEither)
        command.pDataIn = request.pData;
    if (request.nDirection == kEmuDirOut || bEither) {
        command.pDataOut = request.pData;
        command.nDataOutLength = request.nLength;
    }
    command.nAllocation = request.nLength;
    command.nStatus = kEmuStatusGood;
    command.nArrivalUs = m_nTimeUs;
    command.nTimeoutSeconds = request.nTimeoutSeconds;

    bool bScripted = false;
    auto queue = m_SenseQueues.find(request.nDrive);
    if (queue != m_SenseQueues.end()) {
        for (auto it = queue->second.begin(); it != queue->second.end(); ++it) {
            if (it->nOpcode != -1 && it->nOpcode != cdb[0])
                continue;
            command.CheckConditionRaw(it->sense, sizeof(it->sense));
            if (--it->nRemaining <= 0)
                queue->second.erase(it);
            bScripted = true;
            break;
        }
    }
    const EmuAnswerHooks* pAnswerHooks = g_pAnswerHooks;
    bool bAnswered = bScripted || (pAnswerHooks != nullptr && pAnswerHooks->pfnBefore(command)) ||
                     (g_pfnWriterHook != nullptr && g_pfnWriterHook(command)) ||
                     (g_pfnMediumHook != nullptr && g_pfnMediumHook(command));
    if (!bAnswered) {
        EmuHandler pfnHandler = EmuGetHandler(cdb[0]);
        if (pfnHandler != nullptr)
            pfnHandler(command);
        else if (pDrive->GetInt(EMU_KEY_STRICT, 1) != 0)
            command.CheckCondition(5, 0x20, 0x00);
    }
    if (!bScripted && pAnswerHooks != nullptr)
        pAnswerHooks->pfnAfter(command);

    if (EmuTimingHook pfnTiming = EmuGetTimingHook())
        command.nExtraDelayUs += pfnTiming(command, m_nTimeUs);

    result.nStatus = command.nStatus;
    result.nTransferred = command.nStatus == kEmuStatusGood && !command.bTimedOut ? command.nTransferred : 0;
    result.bTimedOut = command.bTimedOut;
    if (command.nStatus != kEmuStatusGood) {
        std::memcpy(result.sense, command.sense, sizeof(result.sense));
        pDrive->SetBytes("lastSense", command.sense, sizeof(command.sense));
    }
    entry.nScsiStatus = result.nStatus;
    entry.nTransferred = result.nTransferred;
    std::memcpy(entry.sense, result.sense, sizeof(entry.sense));
    AppendLog(entry, pDataOut, request.nLength);
    m_nTimeUs += uint64_t(pDrive->GetInt(EMU_KEY_DELAY_US, 0)) + command.nExtraDelayUs;
    EmuPaceToVirtualTime(m_nTimeUs);
    return result;
}
