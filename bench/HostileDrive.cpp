// bench/HostileDrive.cpp — the drive family: per seed one emulated drive (a profile or a row of the model table,
// a disc of some kind, a bus) in hostile mode, and every path of the program that decodes drive answers run
// against it on the virtual clock, under the pass-through back end.
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDisc.h"
#include "EmuHostile.h"
#include "EmuProfiles.h"
#include "HostileInputs.h"
#include "drive/DiscText.h"
#include "drive/DriveManager.h"
#include "drive/ModelTable.h"
#include "framework/Registry.h"
#include "gui/GuiTest.h"
#include "report/HardwareSection.h"
#include "report/ReportOutput.h"
#include "support/DriveRecords.h"
#include "support/RegistryFixture.h"
#include "transfer/TestPages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kSlot = 0;
// The stream of the seed's choices of drive, disc and bus (the drive's own changes use the streams 0, 1, ...).
const uint64_t kMachineStream = ~uint64_t(0);

// Discs built from generated tracks; {dir} discs need the media tests' images (--disc-dir).
const char* const kDiscs[] = {
    nullptr, // no medium
    "disc-image cd-rom\ndisc-track mode1 30000",
    "disc-image cd-rom\ndisc-track mode2 30000",
    "disc-image cd-rom\ndisc-track audio 3000\ndisc-track audio 2000 isrc \"QZK019900001\"\n"
    "disc-track audio 4000 isrc \"QZK019900002\"\ndisc-mcn \"0123456789012\"\n"
    "disc-cdtext title 0 \"Harbour Lights\"\ndisc-cdtext title 1 \"First\"\ndisc-cdtext performer 0 \"Emulators\"",
    "disc-image cd-rom\ndisc-track audio 3000\ndisc-cdtext title 0 \"Harbour\"\ndisc-cdtext-crc-error 0",
    "disc-image cd-rom\ndisc-track mode1 20000\ndisc-track audio 3000\ndisc-track audio 1500",
    "disc-image cd-rom\ndisc-track audio 3000\ndisc-track mode2 20000 session 2",
    "disc-image cd-r\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000\ndisc-track mode1 3000 session 2",
    "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 12000 size 30000 open",
    "disc-image cd-r blank\ndisc-atip 97:26:66 79:59:74",
    "disc-image cd-rw\ndisc-atip 97:10:00 74:30:00 rw\ndisc-track mode1 8000 packet runout 7",
    "disc-image dvd-rom blocks 60000",
    "disc-image dvd-r blocks 80000\ndisc-media-id \"QZMEDIA\" \"R08\" 3",
    "disc-image dvd+rw blocks 90000\ndisc-media-id \"QZMEDIA\" \"W04\"",
    "disc-image dvd+r blank\ndisc-media-id \"QZMEDIA\" \"P16\"",
    "disc-image dvd-ram blocks 60000",
    "disc-image dvd-r-dl layers 2 blocks 120000",
    "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"",
    "disc-image cd-rom\ndisc-track mode2 \"{dir}\\vcd.iso\"",
    "disc-image cd-rom\ndisc-track mode1 \"{dir}\\udf.img\"",
    "disc-image dvd+rw blocks 100000\ndisc-file \"{dir}\\udf.img\"",
    "disc-image dvd-rom blocks 100000\ndisc-file \"{dir}\\dvdr.iso\"",
};
const int kDiscCount = int(sizeof(kDiscs) / sizeof(kDiscs[0]));

const int kBusTypes[] = {kBusTypeIdeChannel, kBusTypeAta,  kBusTypeSerialAta,  kBusTypeScsi,
                         kBusTypeUsb,        kBusType1394, kBusTypeLetterOnly};
const int kShares[] = {20, 60, 150, 400, 1000}; // per thousand commands

// The port drivers of the registry's device map: the start-up takes the IDE channel or SCSI from their names.
const char* const kPortDrivers[] = {"atapi", "aic78xx", "USBSTOR", "sbp2port"};

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// The port's answer to IOCTL_SCSI_GET_INQUIRY_DATA for the one drive (one bus, one entry with 36 bytes of INQUIRY
// data), then damaged: bus count, offsets and lengths set to edge values (an entry that names itself as the next
// one among them), random bytes, or the answer cut short.
std::vector<uint8_t> HostilePortReply(CEmuSeedRandom& random, int nTarget, const std::string& strVendor,
                                      const std::string& strProduct, const std::string& strRevision)
{
    const uint32_t kEntry = 12;
    std::vector<uint8_t> reply(kEntry + 12 + 36, 0);
    reply[0] = 1;
    reply[4] = 1;
    reply[5] = 7;
    PutLe32(&reply[8], kEntry);
    reply[kEntry + 1] = uint8_t(nTarget);
    reply[kEntry + 3] = 1;
    PutLe32(&reply[kEntry + 4], 36);
    uint8_t* pInquiry = &reply[kEntry + 12];
    pInquiry[0] = 5;
    pInquiry[4] = 31;
    std::memcpy(pInquiry + 8, strVendor.data(), std::min<size_t>(strVendor.size(), 8));
    std::memcpy(pInquiry + 16, strProduct.data(), std::min<size_t>(strProduct.size(), 16));
    std::memcpy(pInquiry + 32, strRevision.data(), std::min<size_t>(strRevision.size(), 4));
    const uint32_t nSize = uint32_t(reply.size());
    const uint32_t kEdges[] = {0, 1, kEntry, nSize - 11, nSize, nSize + 1, 0x7FFFFFFF, 0xFFFFFFFF};
    const uint32_t nChanges = 1 + random.Below(3);
    for (uint32_t i = 0; i < nChanges; ++i) {
        const uint32_t nEdge = random.Below(2) ? kEdges[random.Below(8)] : uint32_t(random.Next());
        switch (random.Below(6)) {
        case 0:
            reply[0] = uint8_t(nEdge);
            break;
        case 1:
            PutLe32(&reply[8], nEdge);
            break;
        case 2:
            PutLe32(&reply[kEntry + 4], nEdge);
            break;
        case 3:
            PutLe32(&reply[kEntry + 8], random.Below(2) ? kEntry : nEdge);
            break;
        case 4:
            reply[random.Below(nSize)] = uint8_t(random.Next());
            break;
        default:
            reply.resize(random.Below(nSize));
            break;
        }
        if (reply.size() < 12)
            break;
    }
    return reply;
}

struct DriveBench {
    HostileOptions options;
    HostileFigures* pFigures = nullptr;
    IEmuMachine* pMachine = nullptr;
    CDriveManager manager;
    CWnd window;
    CComboBox combo;
    guitest::HookSession session;
    TransferRateSettings settings;
    CTestRunState runState;
    int nPref = 0;
    std::unique_ptr<CCdReadTestDlg> pCdPage;
    std::unique_ptr<CDvdReadTestDlg> pDvdPage;

    int nDrive = -1;
    CDeviceRecord base;

    bool Step(const char* pszName, const std::function<void(CDeviceRecord&)>& fn)
    {
        return HostileRunStep(kSlot, options, *pFigures, pszName, [&] {
            CDeviceRecord record = base;
            fn(record);
        });
    }

    void Setup()
    {
        for (int nPort = 0; nPort < 4; ++nPort) {
            CRegistryKey key;
            char szPath[80];
            std::snprintf(szPath, sizeof(szPath), "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %d", nPort);
            if (testsupport::CreateFixtureKey(HKEY_LOCAL_MACHINE, szPath, key) == ERROR_SUCCESS)
                key.SetString("Driver", kPortDrivers[nPort]);
        }
        RECT rc = {0, 0, 660, 560};
        window.CreateEx(0, nullptr, "Hostile drive", WS_OVERLAPPEDWINDOW, rc, nullptr, 0);
        RECT rcCombo = {10, 10, 200, 200};
        combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, rcCombo, &window, 100);
        settings.sampleLen = 4; // 1125 sectors per sample
        settings.testEvery = 0; // one sample every 22,500 sectors
        g_pDriveManager = &manager;
        pMachine = EmuStartMachine();
        EmuInstallClock(pMachine);
    }

    void TearDown()
    {
        pCdPage.reset();
        pDvdPage.reset();
        window.DestroyWindow();
        EmuRemoveClock();
        EmuRemoveDeviceIo();
        g_pDriveManager = nullptr;
    }

    // The machine of a seed: one drive behind a letter and a port, a disc, a bus; the manager's adapter list holds
    // its record as a start-up would have left it.
    void BuildMachine(CEmuSeedRandom& random, uint64_t nSeed)
    {
        pMachine->Reset();
        std::string strVendor, strProduct, strRevision;
        const uint32_t nIdentity = random.Below(8);
        if (nIdentity < 5) {
            const int nProfile = int(random.Below(kEmuProfileCount));
            nDrive = EmuAddProfileDrive(pMachine, nProfile);
            const EmuProfileInfo& info = EmuGetProfileInfo(nProfile);
            strVendor = info.pszVendor;
            strProduct = info.pszProduct;
            strRevision = info.pszRevision;
        } else if (nIdentity < 7) {
            // A row of the model table under the maker's name (its id may be longer than the INQUIRY field).
            const ModelRecord& row = g_ModelTable[random.Below(kModelTableRows)];
            strVendor = "KORVATH ";
            strProduct = std::string(row.productId).substr(0, 16);
            strProduct.resize(16, ' ');
            strRevision = random.Below(2) ? "1.07" : "2.05";
            nDrive = pMachine->AddDrive(strVendor.c_str(), strProduct.c_str(), strRevision.c_str());
        } else {
            // Random identity bytes.
            auto randomText = [&](size_t nLength) {
                std::string text(nLength, ' ');
                for (char& ch : text)
                    ch = char(random.Below(4) == 0 ? random.Below(256) : 0x20 + random.Below(0x5F));
                return text;
            };
            strVendor = random.Below(2) ? std::string("KORVATH ") : randomText(8);
            strProduct = randomText(16);
            strRevision = randomText(4);
            nDrive = pMachine->AddDrive(strVendor.c_str(), strProduct.c_str(), strRevision.c_str());
        }
        const char* pszDisc = kDiscs[random.Below(kDiscCount)];
        std::string strDisc = pszDisc != nullptr ? pszDisc : "";
        const size_t nDir = strDisc.find("{dir}");
        if (nDir != std::string::npos) {
            if (options.strDiscDir.empty())
                strDisc = kDiscs[1];
            else
                strDisc.replace(nDir, 5, options.strDiscDir);
        }
        std::string error;
        if (strDisc.empty())
            pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
        else if (!EmuLoadDisc(pMachine, nDrive, strDisc, error))
            std::fprintf(stderr, "disc of seed %llu: %s\n", (unsigned long long)nSeed, error.c_str());

        const int nLetter = 3 + int(random.Below(20));
        const int nPort = int(random.Below(4));
        const int nTarget = int(random.Below(4));
        pMachine->SetLetter(nLetter, DRIVE_CDROM, nDrive);
        pMachine->AddPort(nPort);
        pMachine->AttachPort(nDrive, nPort, 0, nTarget, 0);
        pMachine->SetLetterAddress(nLetter, nPort, 0, nTarget, 0);
        if (random.Below(3) == 0) {
            const std::vector<uint8_t> reply = HostilePortReply(random, nTarget, strVendor, strProduct, strRevision);
            pMachine->SetPortInquiryData(nPort, reply.data(), uint32_t(reply.size()));
        }

        base = MakeRecord(0, nTarget, nLetter);
        base.m_nBusType = kBusTypes[random.Below(sizeof(kBusTypes) / sizeof(kBusTypes[0]))];
        std::strncpy(base.m_szVendor, strVendor.c_str(), 8);
        std::strncpy(base.m_szProduct, strProduct.c_str(), 16);
        std::strncpy(base.m_szRevision, strRevision.c_str(), 4);
        manager.m_Adapters.RemoveAll();
        AddAdapter(manager, base.m_nBusType, nPort, {base});
        manager.m_nAccessMode = kAccessModeSpti;
        for (DriveLetterSlot& slot : manager.m_Letters)
            slot.m_bInquireViaLetter = 0;
        manager.m_Letters[nLetter].m_bInquireViaLetter = 1;

        EmuSetHostile(pMachine, nDrive, nSeed, kShares[random.Below(sizeof(kShares) / sizeof(kShares[0]))]);
        pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_ECHO, options.bVerbose ? 1 : 0);
    }

    void RunSteps(uint64_t nSeed)
    {
        CDriveManager& m = manager;
        Step("discovery", [&](CDeviceRecord&) {
            CScsiTransport transport;
            transport.InitSpti();
            transport.Close();
        });
        Step("model", [&](CDeviceRecord& r) {
            ModelRecord row;
            m.GetModelRecord(r, row);
            m.IsKnownModel(r);
            m.GetModelName(r);
            m.GetModelProductId(r);
            m.GetModelFirmwareId(r);
            for (int i = 0; i < 10; ++i) {
                m.GetModelSpeedText(r, i);
                m.GetModelSpeedValue(r, i);
            }
            m.GetModelSpeedValueScan(r);
            m.IsSpecialSpeedModel(r);
            CExactBuffer text(16);
            m.GetMaxReadSpeedText(r, text.Text());
        });
        Step("features", [&](CDeviceRecord& r) {
            m.IsWriter(r);
            m.IsCdWriter(r);
            m.IsDvdWriter(r);
            m.SupportsC2Pointers(r);
            m.HasBufferUnderrunProof(r);
            m.IsSpeedamodeSupported(r);
            m.IsStratafitSupported(r);
            m.IsReadModeSettingSupported(r);
            m.HasFirmwareFeature1(r);
            m.HasFirmwareFeature2(r);
            m.HasFirmwareFeature3(r);
            m.HasFirmwareFeature4(r);
            m.HasFirmwareFeature5(r);
            m.HasFirmwareFeature6(r);
            m.HasFirmwareFeature7(r);
            m.HasFirmwareFeature8(r);
            m.GetFirmwareFeatureLevel(r);
            m.GetSelectedWriteSpeed(r);
            m.GetBlockLength(r);
            CExactBuffer usage(40), serial(30), label(33), rid(24);
            m.GetUsageCounterText(r, usage.Text());
            m.GetSerialNumberText(r, serial.Text());
            m.GetJumperSettings(r);
            m.GetTlaCodeText(r);
            m.GetDriveLabel(r, label.Text());
            CString status;
            m.GetStratafitStatusText(r, status, 0);
            m.GetStratafitStatusText(r, status, 1);
            m.ReadRidCode(r, rid.Text());
            static const BYTE kPages[] = {0x01, 0x05, 0x0D, 0x0E, 0x2A, 0x30, 0x31, 0x3F};
            for (BYTE page : kPages) {
                CExactBuffer answer(255);
                m.ModeSense(r, page, 255, answer.Bytes());
            }
        });
        Step("cd-speeds", [&](CDeviceRecord& r) {
            CExactBuffer text(16), display(16);
            m.GetMaxReadSpeed(r);
            m.GetReadSpeedText(r, 0, text.Text());
            m.GetReadSpeedDisplayText(r, 0, display.Text());
            m.GetReadSpeedIndex(r);
            m.GetMaxWriteSpeed(r);
            m.GetCurrentWriteSpeed(r);
            m.FillWriteSpeedCombo(r, combo, FALSE);
            combo.SetCurSel(combo.GetCount() - 1);
            m.ApplyWriteSpeedFromCombo(r, combo, FALSE);
        });
        Step("speed-cache", [&](CDeviceRecord& r) {
            CExactBuffer speeds(60 * sizeof(int));
            m.LoadSpeedCache(r, reinterpret_cast<int*>(speeds.Bytes()));
            m.FillCdReadSpeedCombo(r, combo);
            combo.SetCurSel(combo.GetCount() / 2);
            m.ApplyCdReadSpeedFromCombo(r, combo);
            CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\TAVISK");
        });
        Step("dvd-speeds", [&](CDeviceRecord& r) {
            CExactBuffer text(16);
            m.GetDvdReadSpeed(r);
            m.GetReadSpeedListText(r, text.Text());
            m.GetDvdWriteSpeedList(r);
            m.GetDvdMediaSpeedText(r, TRUE);
            m.GetDvdMediaSpeedText(r, FALSE);
            m.FillDvdReadSpeedCombo(r, combo);
            combo.SetCurSel(combo.GetCount() - 1);
            m.ApplyDvdReadSpeedFromCombo(r, combo);
            m.FillWriteSpeedCombo(r, combo, TRUE);
            combo.SetCurSel(0);
            m.ApplyWriteSpeedFromCombo(r, combo, TRUE);
        });
        Step("capacity", [&](CDeviceRecord& r) {
            CExactBuffer capacity(8), formats(252);
            m.ReadCapacity(r, capacity.Bytes());
            m.ReadFormatCapacities(r, 252, formats.Bytes());
            m.GetRecordedCapacity(r);
            m.GetWritableCapacity(r);
            m.IsBlankMedia(r);
            m.IsDiscBlank(r);
        });
        Step("disc-type", [&](CDeviceRecord& r) {
            m.GetDvdMediaProfile(r, FALSE);
            m.GetDvdMediaProfile(r, TRUE);
            CExactBuffer label(kDiscLabelBuffer), text(kDiscTextSize), cdText(kCdTextBufferSize);
            m.GetDiscTypeText(r, label.Text(), text.Text(), cdText.Bytes());
            m.GetDiscTypeText(r, label.Text(), text.Text(), nullptr);
            CExactBuffer mediaId(64), maker(200), name(200), time(200);
            m.GetDvdMediaIdText(r, mediaId.Text());
            LONG nValue = 0;
            m.GetDiscManufacturer(r, maker.Text(), &nValue, name.Text(), time.Text());
        });
        Step("cd-text", [&](CDeviceRecord& r) {
            CExactBuffer header(4), packs(kCdTextBufferSize);
            if (m.ReadCdText(r, 4, header.Bytes()) != kExecCompleted)
                return;
            const int nWhole = std::min(((header.Bytes()[0] << 8) | header.Bytes()[1]) + 2, kCdTextBufferSize);
            if (m.ReadCdText(r, nWhole, packs.Bytes()) != kExecCompleted)
                return;
            for (int nTrack = 0; nTrack < 4; ++nTrack) {
                CExactBuffer title(33), performer(130);
                GetCdTextString(kCdTextTitle, nTrack, title.Text(), title.Size(), packs.Bytes(), nWhole);
                GetCdTextString(kCdTextPerformer, nTrack, performer.Text(), performer.Size(), packs.Bytes(), nWhole);
            }
        });
        Step("mcn-isrc", [&](CDeviceRecord& r) {
            CExactBuffer mcn(24);
            m.ReadMediaCatalogNumber(r, mcn.Bytes());
            for (int nTrack = 1; nTrack <= 3; ++nTrack) {
                CExactBuffer isrc(24);
                m.ReadTrackIsrc(r, nTrack, isrc.Bytes());
            }
            CExactBuffer tracks(10 * sizeof(int));
            m.ReadQTrackNumbers(r, 0, reinterpret_cast<int*>(tracks.Bytes()));
            m.ReadQTrackNumbers(r, 3000, reinterpret_cast<int*>(tracks.Bytes()));
        });
        Step("sessions", [&](CDeviceRecord& r) {
            m.GetSessionLeadOut(r, 1);
            m.IsSessionLastTrack(r, 1, 0);
            m.IsSessionLastTrack(r, 2, 1);
            m.IsDiscAppendable(r);
            int nCount = 0, nPregap = 0;
            m.CountSessionOneTracks(r, &nCount, &nPregap);
            for (int nTrack = 1; nTrack <= 3; ++nTrack) {
                long nStart = 0, nEnd = 0;
                m.GetTrackExtent(r, nTrack, &nStart, &nEnd);
            }
            m.GetSectorMode(r, 16);
            m.IsMode2Sector(r, 16);
            m.CountTrackRunOutBlocks(r, 0, 0, 8000, FALSE);
        });
        Step("track-extent", [&](CDeviceRecord& r) {
            for (int nTrack = 1; nTrack <= 3; ++nTrack) {
                long nStart = 0, nLength = 0;
                m.MeasureTrackExtent(r, nTrack, &nStart, &nLength, nTrack == 2);
                CExactBuffer range(10);
                m.GetTrackRange(r, BYTE(nTrack), range.Bytes(), nTrack == 3);
                m.FillTrackRange(r, nTrack, range.Bytes(), FALSE);
            }
        });
        Step("report", [&](CDeviceRecord&) {
            std::unique_ptr<CStringArray[]> blocks(new CStringArray[kMaxAdapterBlocks]);
            BuildAdapterBlocks(blocks.get(), true);
        });
        Step("stratafit", [&](CDeviceRecord&) {
            CStringArray lines;
            BuildStratafitListing(lines);
        });
        if (nSeed % 4 == 0) {
            Step("read-test", [&](CDeviceRecord& r) {
                // Long virtual commands: the ten-second spin-up takes a few reads.
                pMachine->SetInt(nDrive, EMU_KEY_DELAY_US, 400000);
                if (nSeed % 8 == 0)
                    RunReadTest(*pCdPage, r);
                else
                    RunReadTest(*pDvdPage, r);
                pMachine->SetInt(nDrive, EMU_KEY_DELAY_US, 0);
            });
        }
    }

    template <class Page>
    void RunReadTest(Page& page, const CDeviceRecord& record)
    {
        page.m_currentDrive = record;
        const int nThreads = HostileThreadCount();
        if (!guitest::Click(page.m_hWnd, IDC_TP_START))
            return;
        guitest::PumpUntil([&] { return !page.IsRunning(); }, 60000);
        // The page's worker ends after its last message: the heap check after the seed waits for it.
        guitest::PumpUntil([&] { return HostileThreadCount() <= nThreads; }, 5000);
        session.ClearMessageBoxes();
    }

    void CreatePages()
    {
        pCdPage.reset(new CCdReadTestDlg(&window));
        pDvdPage.reset(new CDvdReadTestDlg(&window));
        for (CTestPageDlg* pPage : {static_cast<CTestPageDlg*>(pCdPage.get()), static_cast<CTestPageDlg*>(pDvdPage.get())}) {
            pPage->SetSharedState(runState, &nPref, &settings);
            pPage->Create(pPage->Traits().nIDTemplate, &window);
        }
    }
};

} // namespace

void RunHostileDrive(const HostileOptions& options, HostileFigures& figures)
{
    std::unique_ptr<DriveBench> pBench(new DriveBench);
    DriveBench& bench = *pBench;
    bench.options = options;
    bench.pFigures = &figures;
    bench.Setup();
    bench.CreatePages();
    HostileSeedLoop(kSlot, "drive", options, figures, [&](uint64_t nSeed) {
        CEmuSeedRandom random(nSeed, kMachineStream);
        bench.BuildMachine(random, nSeed);
        bench.RunSteps(nSeed);
        figures.nInputs += uint64_t(bench.pMachine->GetInt(bench.nDrive, EMU_KEY_HOSTILE_CHANGED, 0));
        figures.nCommands += uint64_t(bench.pMachine->GetInt(bench.nDrive, EMU_KEY_HOSTILE_COUNT, 0));
    });
    bench.TearDown();
}
