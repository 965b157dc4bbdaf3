// bench/HostileStored.cpp — the stored-values family: every registry value a reader of the program asks for is
// written with a random type, size and content (texts without terminators, numbers of any width), then the reader
// runs; and random channel-list files are loaded. The values a reader asks for are learnt by watching it
// (HostileRegistry.h): each run notes new keys and values, which the next runs create and damage in turn, so the
// readers are followed into the keys they only open when the ones above exist.
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuHostile.h"
#include "EmuProfiles.h"
#include "HostileInputs.h"
#include "HostileRegistry.h"
#include "app/ProgramSettings.h"
#include "drive/DriveManager.h"
#include "framework/Registry.h"
#include "report/DriverInfo.h"
#include "report/ShellMixerSettings.h"
#include "report/SoftwareSection.h"
#include "report/VelloranRegistryDump.h"
#include "support/DriveRecords.h"
#include "support/RegistryFixture.h"
#include "transfer/TransferRateSettings.h"
#include "update/UpdateChecker.h"
// The capture side's headers bring in DirectShow's, whose window macros would rename the layer's methods above.
#include "capture/CaptureDevice.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/CaptureSection.h"
#include "capture/ChannelList.h"
#include "capture/GraphManager.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kSlot = 0;
const uint64_t kValueStream = 0x5707ED;
const uint64_t kLearningRounds = 6;

// A damaged value: any type, any size, no terminator; sometimes a plausible text or number.
struct StoredValue {
    DWORD nType;
    std::vector<BYTE> data;
};

StoredValue RandomValue(CEmuSeedRandom& random)
{
    static const DWORD kTypes[] = {REG_SZ, REG_SZ, REG_SZ, REG_DWORD, REG_DWORD, REG_DWORD, REG_BINARY, REG_BINARY,
                                   REG_EXPAND_SZ, REG_MULTI_SZ, REG_NONE, REG_DWORD_BIG_ENDIAN, REG_QWORD, REG_LINK};
    StoredValue value;
    value.nType = random.Below(12) == 0 ? random.Below(0x10000) : kTypes[random.Below(sizeof(kTypes) / sizeof(DWORD))];
    static const uint32_t kSizes[] = {0, 1, 2, 3, 4, 4, 4, 5, 7, 8, 16};
    uint32_t nSize;
    switch (random.Below(6)) {
    case 0:
    case 1:
        nSize = kSizes[random.Below(sizeof(kSizes) / sizeof(kSizes[0]))];
        break;
    case 2:
    case 3:
        nSize = random.Below(64);
        break;
    case 4:
        nSize = random.Below(600);
        break;
    default:
        nSize = random.Below(10) == 0 ? random.Below(70000) : random.Below(5000);
        break;
    }
    value.data.resize(nSize);
    switch (random.Below(5)) {
    case 0: // printable text, no terminator
        for (BYTE& b : value.data)
            b = BYTE(0x20 + random.Below(0x5F));
        break;
    case 1: // digits and signs
        for (BYTE& b : value.data)
            b = BYTE("0123456789-+ ;,.x"[random.Below(17)]);
        break;
    case 2: { // a number of the edge kind in the first bytes
        static const uint32_t kNumbers[] = {0, 1, 2, 0x7F, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        const uint32_t n = kNumbers[random.Below(10)];
        for (size_t i = 0; i < value.data.size(); ++i)
            value.data[i] = i < 4 ? BYTE(n >> (8 * i)) : BYTE(random.Next());
        break;
    }
    case 3: // all one byte
        std::memset(value.data.data(), random.Below(2) ? 0xFF : 0x00, value.data.size());
        break;
    default:
        for (BYTE& b : value.data)
            b = BYTE(random.Next());
        break;
    }
    return value;
}

// A capture device that only keeps its settings: the readers' part of the capture side without a graph.
class CSettingsOnlyDevice : public CCaptureDevice {
public:
    explicit CSettingsOnlyDevice(CCaptureFilterInfo* pInfo) : CCaptureDevice(pInfo, nullptr) {}
    HRESULT BuildBasicGraph() override { return E_NOTIMPL; }
    HRESULT Initialize() override { return E_NOTIMPL; }
    HRESULT BuildPreviewCaptureGraph() override { return E_NOTIMPL; }
    HRESULT ReadTunerState() override { return E_NOTIMPL; }
};

const char kCaptureName[] = "QZ TV Capture";
const char kCapturePath[] = "\\\\?\\pci#ven_1234&dev_5678#4&1a2b3c4d&0&0030#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
                            "\\global";

struct Reader {
    const char* pszName;
    std::function<void()> run;
    RegistryNotes notes; // what it asked for so far
    // The values as the fixtures left them after learning (absent ones are not listed).
    std::map<std::pair<std::string, std::string>, StoredValue> originals;
};

struct StoredBench {
    HostileOptions options;
    HostileFigures* pFigures = nullptr;
    IEmuMachine* pMachine = nullptr;
    CDriveManager manager;
    CDeviceRecord record;
    std::vector<Reader> readers;

    void Setup()
    {
        InstallRegistryRecorder();
        pMachine = EmuStartMachine();
        EmuInstallClock(pMachine);
        const int nDrive = EmuAddProfileDrive(pMachine, kEmuFifthFamilyDvdWriter);
        const EmuProfileInfo& info = EmuGetProfileInfo(kEmuFifthFamilyDvdWriter);
        const int nLetter = 3;
        pMachine->SetLetter(nLetter, DRIVE_CDROM, nDrive);
        pMachine->AddPort(0);
        pMachine->AttachPort(nDrive, 0, 0, 0, 0);
        pMachine->SetLetterAddress(nLetter, 0, 0, 0, 0);
        record = MakeRecord(0, 0, nLetter);
        record.m_nBusType = kBusTypeIdeChannel;
        std::strncpy(record.m_szVendor, info.pszVendor, 8);
        std::strncpy(record.m_szProduct, info.pszProduct, 16);
        std::strncpy(record.m_szRevision, info.pszRevision, 4);
        AddAdapter(manager, kBusTypeIdeChannel, 0, {record});
        manager.m_nAccessMode = kAccessModeSpti;
        manager.m_Letters[nLetter].m_bInquireViaLetter = 1;
        g_pDriveManager = &manager;

        // A Windows 9x device node for the drive, so that the 9x readers find keys to walk.
        testsupport::WriteRegistryKey(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A0001",
                                      {testsupport::Text("HardWareKey", "SCSI\\KORVATH_DVDR___QZ7240___\\"
                                                                        "PCI&VEN_8086&DEV_7111&FUNC_1010")});
        testsupport::WriteRegistryKey(HKEY_LOCAL_MACHINE,
                                      "Enum\\SCSI\\KORVATH_DVDR___QZ7240___\\PCI&VEN_8086&DEV_7111&FUNC_1010",
                                      {testsupport::Text("CurrentDriveLetterAssignment", "D")});

        auto add = [&](const char* pszName, std::function<void()> fn) { readers.push_back(Reader{pszName, fn, {}}); };
        add("program-settings", [] {
            ProxySettings proxy;
            DWORD nAutoFW = 0;
            ReadProgramSettings(proxy, nAutoFW);
        });
        add("transfer-rate", [] {
            TransferRateSettings settings;
            ReadTransferRateSettings(settings);
        });
        add("speed-cache", [this] {
            CExactBuffer speeds(60 * sizeof(int));
            CDeviceRecord r = record;
            manager.LoadSpeedCache(r, reinterpret_cast<int*>(speeds.Bytes()));
        });
        add("update-path", [] {
            CUpdateChecker checker(nullptr, CString());
            checker.GetUpdateUrl();
        });
        add("graph-settings", [] { CGraphManager graph; });
        add("capture-section", [] {
            CStringArray lines;
            AppendCaptureDeviceLines(lines, kCaptureName, kCapturePath);
            DumpVelloranCaptureSettings(kCaptureName, "global", lines);
        });
        add("capture-settings", [] {
            CCaptureFilterInfo* pInfo = new CCaptureFilterInfo(CComPtr<IBaseFilter>(), kCaptureName, kCapturePath);
            pInfo->SetSettingsApplied(1);
            {
                CSettingsOnlyDevice device(pInfo);
                device.LoadSettings();
            }
            pInfo->Release();
        });
        add("sibling-dump", [] {
            CStringArray lines;
            CVelloranRegistryDump dump;
            dump.m_nMode = kVelloranModeNoTarget;
            dump.m_pLines = &lines;
            dump.DumpVelloranSettings();
            dump.DumpVelloranPlusSettings();
        });
        add("software-section", [this] {
            CStringArray lines;
            BuildSoftwareSection(lines, &manager);
        });
        add("shell-settings", [] {
            GetNoDriveTypeAutoRun();
            CExactBuffer verb(MAX_PATH);
            GetAudioCDShellVerb(verb.Text());
        });
        add("driver-info", [] {
            CDriverInfo info;
            info.SetDriveIndex(0);
            info.Collect();
            CExactBuffer enumerator(50), instance(50);
            for (BYTE nLetter = 2; nLetter < 26; ++nLetter)
                CDriverInfo::ReadMountedDevice(nLetter, enumerator.Text(), instance.Text());
        });
        add("install-paths", [this] {
            CExactBuffer path(MAX_PATH);
            manager.GetInstallPaths(path.Text());
            manager.GetHelpFilePath();
        });
        add("drive-registry", [this] {
            CDeviceRecord r = record;
            DWORD nAutoInsert = 0, nDma = 0;
            manager.ReadDriveRegistrySettings(r, &nAutoInsert, &nDma);
            CExactBuffer description(200), hardwareId(100), driverKey(100);
            manager.FindDeviceRegistryKey(r, description.Text(), hardwareId.Text(), driverKey.Text());
            CExactBuffer instance(100), classGuid(100);
            manager.FindIdeChannelKey(1, instance.Text(), classGuid.Text());
            manager.FindIdeChannelKey(2, instance.Text(), classGuid.Text());
        });
        add("bus-registry", [this] {
            const CHostAdapterArray adapters = manager.m_Adapters;
            manager.DetectBusTypeWin9x(0);
            manager.DetectBusTypeNT4(0);
            manager.DetectBusTypeNT5(0);
            manager.m_Adapters = adapters;
            CExactBuffer port(100), description(200);
            CScsiTransport::ReadPortDriverFromDeviceMap(0, port.Text());
            CDeviceRecord r = record;
            manager.FindDeviceEnumKey(r, description.Text());
            DWORD nAutorun = 0, nDma = 0;
            manager.ReadNt4ScsiPortSettings(r, &nAutorun, &nDma);
        });
        add("win9x-registry", [this] {
            for (bool bFromVendorName : {true, false}) {
                CString deviceId, instance;
                if (!FindWin9xDeviceKey(record.m_szVendor, record.m_szProduct, bFromVendorName, deviceId, instance))
                    continue;
                int nTarget = 0, nAutoInsert = 0, nDisconnect = 0, nSync = 0, nDma = 0;
                CScsiTransport::ReadWin9xScsiDeviceKey(deviceId, instance, nTarget, nAutoInsert, nDisconnect, nSync,
                                                       nDma);
                CDeviceRecord r = record;
                CScsiTransport::DetectWin9xUsbBridge(deviceId, instance, r);
                DWORD nAuto = 0, nDmaSetting = 0;
                GetAutoInsertNotification(deviceId, instance, &nAuto, &nDmaSetting);
            }
        });
        add("discovery", [] {
            CScsiTransport transport;
            transport.InitSpti();
            transport.Close();
        });
    }

    void TearDown()
    {
        RecordRegistryInto(nullptr);
        EmuRemoveClock();
        EmuRemoveDeviceIo();
        g_pDriveManager = nullptr;
    }

    // Creates the reader's noted keys and, unless bKeysOnly, gives each noted value a damaged form (or its first
    // form, or none); returns how many damaged values were written.
    uint64_t DamageValues(CEmuSeedRandom& random, const Reader& reader, bool bKeysOnly = false)
    {
        uint64_t nWritten = 0;
        std::map<std::string, CRegistryKey> keys;
        for (const std::string& path : reader.notes.keys) {
            HKEY hRoot = nullptr;
            std::string subKey;
            if (SplitRegistryPath(path, hRoot, subKey) && !subKey.empty())
                testsupport::CreateFixtureKey(hRoot, subKey.c_str(), keys[path]);
        }
        if (bKeysOnly)
            return 0;
        for (const auto& entry : reader.notes.values) {
            HKEY hRoot = nullptr;
            std::string subKey;
            if (!SplitRegistryPath(entry.first, hRoot, subKey))
                continue;
            CRegistryKey key;
            if (testsupport::CreateFixtureKey(hRoot, subKey.c_str(), key) != ERROR_SUCCESS)
                continue;
            const char* pszName = entry.second.empty() ? nullptr : entry.second.c_str();
            // A third of the values keep their first form, so that a reader gets past the values it follows to
            // the ones below them.
            const uint32_t nFate = random.Below(10);
            auto original = reader.originals.find(entry);
            if (nFate == 0 || (nFate < 4 && original == reader.originals.end())) {
                key.DeleteValue(pszName);
                continue;
            }
            const StoredValue value = nFate < 4 ? original->second : RandomValue(random);
            if (RegSetValueExA(key.get(), pszName, 0, value.nType, value.data.data(), DWORD(value.data.size())) ==
                    ERROR_SUCCESS &&
                nFate >= 4)
                ++nWritten;
        }
        return nWritten;
    }

    // A channel-list file: random lines of the file's keys with damaged values, or random bytes.
    uint64_t DamageChannelList(CEmuSeedRandom& random)
    {
        static const char* const kKeys[] = {"[Channel]", "PNo=", "No=", "Name=", "UserFreq=", "OrigFreq=", "Freq=",
                                            "[CHANNEL]", "pno=", "=", "[Channel"};
        std::string text;
        const uint32_t nLines = random.Below(200);
        for (uint32_t i = 0; i < nLines; ++i) {
            if (random.Below(8) == 0) {
                const uint32_t n = random.Below(random.Below(20) == 0 ? 70000 : 300);
                for (uint32_t j = 0; j < n; ++j)
                    text += char(random.Next());
            } else {
                text += kKeys[random.Below(sizeof(kKeys) / sizeof(kKeys[0]))];
                const StoredValue value = RandomValue(random);
                text.append(reinterpret_cast<const char*>(value.data.data()), value.data.size());
            }
            if (random.Below(10) != 0)
                text += random.Below(3) ? "\n" : "\r\n";
        }
        const char* pszPath = "Channels7.kvc";
        FILE* pFile = std::fopen(pszPath, "wb");
        if (pFile == nullptr)
            return 0;
        std::fwrite(text.data(), 1, text.size(), pFile);
        std::fclose(pFile);
        CChannelList list;
        list.LoadFile(pszPath);
        const LONG nFirst = list.GetFirstProgramNumber();
        const LONG nLast = list.GetLastProgramNumber();
        list.GetNextProgramNumber(nFirst);
        list.GetPrevProgramNumber(nLast);
        list.GetChannelNumber(nFirst);
        list.GetProgramNumber(nLast);
        list.GetChannelName(-1);
        list.GetChannel(list.GetChannelNumber(nLast));
        return 1;
    }

    void RunSeed(uint64_t nSeed)
    {
        CEmuSeedRandom random(nSeed, kValueStream);
        const uint32_t nChoice = random.Below(uint32_t(readers.size()) + 1);
        if (nChoice == readers.size()) {
            HostileRunStep(kSlot, options, *pFigures, "channel-list",
                           [&] { pFigures->nInputs += DamageChannelList(random); });
            return;
        }
        Reader& reader = readers[nChoice];
        uint64_t nWritten = 0;
        HostileRunStep(kSlot, options, *pFigures, reader.pszName, [&] {
            nWritten = DamageValues(random, reader);
            reader.run();
        });
        pFigures->nInputs += nWritten;
    }

    // Learns what each reader asks for before the seeds run, so that a seed replays alone: a few watched runs,
    // the keys each asked for created before the next one. The values stay as the fixtures left them, so that a
    // reader that follows a value (a device name, a key path) goes as deep as it can.
    void Learn()
    {
        for (uint64_t nRound = 0; nRound < kLearningRounds; ++nRound) {
            for (Reader& reader : readers) {
                HostileBegin(kSlot, "stored-learning", nRound);
                CEmuSeedRandom random(~nRound);
                HostileRunStep(kSlot, options, *pFigures, reader.pszName, [&] {
                    DamageValues(random, reader, true);
                    RecordRegistryInto(&reader.notes);
                    reader.run();
                    RecordRegistryInto(nullptr);
                });
                RecordRegistryInto(nullptr);
                HostileEnd(kSlot);
            }
        }
        for (Reader& reader : readers) {
            for (const auto& entry : reader.notes.values) {
                HKEY hRoot = nullptr;
                std::string subKey;
                CRegistryKey key;
                StoredValue value;
                CByteArray data;
                if (SplitRegistryPath(entry.first, hRoot, subKey) && key.Open(hRoot, subKey.c_str()) == ERROR_SUCCESS &&
                    key.QueryRaw(entry.second.empty() ? nullptr : entry.second.c_str(), value.nType, data) ==
                        ERROR_SUCCESS) {
                    value.data.assign(data.GetData(), data.GetData() + data.GetSize());
                    reader.originals[entry] = value;
                }
            }
        }
        if (HostileVerbose()) {
            for (const Reader& reader : readers) {
                std::fprintf(stderr, "%s: %u keys, %u values\n", reader.pszName, unsigned(reader.notes.keys.size()),
                             unsigned(reader.notes.values.size()));
                for (const std::string& key : reader.notes.keys)
                    std::fprintf(stderr, "  key %s\n", key.c_str());
                for (const auto& value : reader.notes.values)
                    std::fprintf(stderr, "  value %s : %s\n", value.first.c_str(), value.second.c_str());
            }
        }
    }
};

} // namespace

void RunHostileStored(const HostileOptions& options, HostileFigures& figures)
{
    std::unique_ptr<StoredBench> pBench(new StoredBench);
    StoredBench& bench = *pBench;
    bench.options = options;
    bench.pFigures = &figures;
    bench.Setup();
    bench.Learn();
    HostileSeedLoop(kSlot, "stored", options, figures, [&](uint64_t nSeed) { bench.RunSeed(nSeed); });
    bench.TearDown();
}
