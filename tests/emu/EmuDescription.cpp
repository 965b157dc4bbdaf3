// tests/emu/EmuDescription.cpp
// windows.h first: it renames AddPort (a spooler function), and the machine interface must see the same name.
#include <windows.h>

#include "EmuDescription.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "EmuDisc.h"
#include "EmuProfiles.h"
#include "drive/Cdb.h"

namespace {

// --- tokens ----------------------------------------------------------------------------------------------------

// "HA:TARGET:LUN" and the like: nParts numbers separated by ':', the last one optional (0) when asked.
bool ParseAddress(const std::string& text, int nParts, bool bLastOptional, std::vector<int>& parts)
{
    parts.clear();
    std::stringstream stream(text);
    std::string piece;
    while (std::getline(stream, piece, ':')) {
        long long value = 0;
        if (!EmuParseNumber(piece, value) || value < 0 || value > 255)
            return false;
        parts.push_back(int(value));
    }
    if (bLastOptional && int(parts.size()) == nParts - 1)
        parts.push_back(0);
    return int(parts.size()) == nParts;
}

std::string Padded(const std::string& text, size_t width)
{
    std::string padded = text.substr(0, width);
    padded.resize(width, ' ');
    return padded;
}

// --- discs -----------------------------------------------------------------------------------------------------

// READ DISC STRUCTURE format 0 of a single-layer 120 mm disc: book type, data area from 0x30000.
std::vector<uint8_t> PhysicalFormat(uint8_t nBookType, uint32_t nBlocks)
{
    std::vector<uint8_t> answer(2052, 0);
    answer[0] = 0x08; // 2050 bytes follow
    answer[1] = 0x02;
    answer[4] = uint8_t(nBookType << 4);
    answer[5] = 0x02; // 120 mm, 10.08 Mbit/s
    answer[6] = 0x01; // one layer, parallel track path, embossed
    SetBe32(&answer[8], 0x30000);
    SetBe32(&answer[12], 0x30000 + nBlocks - 1);
    return answer;
}

// Format 0x0E (pre-recorded information) of a DVD-R: the manufacturer text at bytes 21 and 29.
std::vector<uint8_t> PrerecordedInfo(const std::string& maker, const std::string& type)
{
    std::vector<uint8_t> answer(2052, 0);
    answer[0] = 0x08;
    answer[1] = 0x02;
    std::memcpy(&answer[21], maker.data(), std::min<size_t>(maker.size(), 6));
    std::memcpy(&answer[29], type.data(), std::min<size_t>(type.size(), 6));
    return answer;
}

bool ApplyDisc(IEmuMachine* pMachine, int nDrive, const std::vector<EmuDiscWord>& tokens, std::string& error)
{
    if (tokens.size() < 2) {
        error = "disc needs a kind: none, cd, dvd-rom or dvd-r";
        return false;
    }
    const std::string& kind = tokens[1].text;
    if (kind == "none") {
        pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
        pMachine->SetInt(nDrive, "config.profile", 0);
        return true;
    }
    long long nBlocks = kind == "cd" ? 333000 : 2295104;
    size_t next = 2;
    if (tokens.size() > 2 && !tokens[2].quoted && EmuParseNumber(tokens[2].text, nBlocks)) {
        if (nBlocks <= 1 || nBlocks > 0x7FFFFFFF) {
            error = "disc blocks out of range";
            return false;
        }
        next = 3;
    }
    pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 1);
    pMachine->SetInt(nDrive, EMU_KEY_BLOCKS, nBlocks);
    pMachine->SetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 2048);
    if (kind == "cd") {
        pMachine->SetInt(nDrive, "config.profile", 0x08);
    } else if (kind == "dvd-rom" || kind == "dvd-r") {
        bool bRecordable = kind == "dvd-r";
        pMachine->SetInt(nDrive, "config.profile", bRecordable ? 0x11 : 0x10);
        std::vector<uint8_t> physical = PhysicalFormat(bRecordable ? 2 : 0, uint32_t(nBlocks));
        pMachine->SetBytes(nDrive, "ds.00", physical.data(), uint32_t(physical.size()));
        if (bRecordable) {
            std::string maker = "EMUDSC", type = "R16X01";
            if (tokens.size() > next && tokens[next].text == "code") {
                if (tokens.size() != next + 3 || !tokens[next + 1].quoted || !tokens[next + 2].quoted) {
                    error = "disc dvd-r code needs two quoted texts";
                    return false;
                }
                maker = tokens[next + 1].text;
                type = tokens[next + 2].text;
                next += 3;
            }
            std::vector<uint8_t> info = PrerecordedInfo(maker, type);
            pMachine->SetBytes(nDrive, "ds.0E", info.data(), uint32_t(info.size()));
        }
    } else {
        error = "unknown disc kind " + kind;
        return false;
    }
    if (tokens.size() != next) {
        error = "unexpected words after the disc";
        return false;
    }
    return true;
}

// --- statements ------------------------------------------------------------------------------------------------

// What an adapter statement gave; an adapter without one keeps the machine's defaults unless a drive behind an
// IEEE 1394 bridge needs its identifier.
struct AdapterStatement {
    long long nScsiId = 7;
    long long nMaxTargets = 0;
    std::string manager = "ASPI for WIN32";
    std::string identifier;
    bool bScsi = false;
};

struct ParseState {
    IEmuMachine* pMachine;
    EmuDescription* pDescription;
    int nAspiStatus = 1;
    int nAdapterCount = 0;
    std::set<int> ports;
    std::map<int, AdapterStatement> adapters;
};

bool FindProfile(const std::string& name, int& nProfile)
{
    for (int i = 0; i < kEmuProfileCount; ++i) {
        if (name == EmuGetProfileInfo(i).pszName) {
            nProfile = i;
            return true;
        }
    }
    return false;
}

bool ParseDrive(ParseState& state, const std::vector<EmuDiscWord>& tokens, std::string& error)
{
    IEmuMachine* pMachine = state.pMachine;
    EmuDescribedDrive drive;
    size_t i = 1;
    if (tokens.size() >= 4 && tokens[1].quoted && tokens[2].quoted && tokens[3].quoted) {
        drive.strVendor = Padded(tokens[1].text, 8);
        drive.strProduct = Padded(tokens[2].text, 16);
        drive.nDrive =
            pMachine->AddDrive(drive.strVendor.c_str(), drive.strProduct.c_str(), Padded(tokens[3].text, 4).c_str());
        i = 4;
    } else if (tokens.size() >= 2 && !tokens[1].quoted) {
        int nProfile = 0;
        if (!FindProfile(tokens[1].text, nProfile)) {
            error = "unknown drive profile " + tokens[1].text;
            return false;
        }
        const EmuProfileInfo& info = EmuGetProfileInfo(nProfile);
        drive.strVendor = Padded(info.pszVendor, 8);
        drive.strProduct = Padded(info.pszProduct, 16);
        drive.nDrive = EmuAddProfileDrive(pMachine, nProfile);
        i = 2;
    } else {
        error = "drive needs a profile name or three quoted texts (vendor, product, revision)";
        return false;
    }

    std::vector<int> parts, port;
    while (i < tokens.size()) {
        const std::string& option = tokens[i].text;
        bool bHasValue = i + 1 < tokens.size();
        if (option == "usb") {
            drive.bUsb = true;
            i += 1;
        } else if (option == "ieee1394") {
            drive.bIeee1394 = true;
            i += 1;
        } else if (option == "aspi" && bHasValue && ParseAddress(tokens[i + 1].text, 3, true, parts)) {
            drive.nAspiAdapter = parts[0];
            drive.nAspiTarget = parts[1];
            drive.nAspiLun = parts[2];
            pMachine->AttachAspi(drive.nDrive, parts[0], parts[1], parts[2]);
            state.nAdapterCount = std::max(state.nAdapterCount, parts[0] + 1);
            i += 2;
        } else if (option == "letter" && bHasValue && tokens[i + 1].text.size() == 1 &&
                   std::isalpha(static_cast<unsigned char>(tokens[i + 1].text[0]))) {
            drive.nLetter = std::toupper(static_cast<unsigned char>(tokens[i + 1].text[0])) - 'A';
            pMachine->SetLetter(drive.nLetter, DRIVE_CDROM, drive.nDrive);
            i += 2;
        } else if (option == "port" && bHasValue && ParseAddress(tokens[i + 1].text, 4, false, parts)) {
            port = parts;
            if (state.ports.insert(port[0]).second)
                pMachine->AddPort(port[0]);
            pMachine->AttachPort(drive.nDrive, port[0], port[1], port[2], port[3]);
            i += 2;
        } else {
            error = "bad drive option " + option;
            return false;
        }
    }
    if (drive.bUsb && drive.bIeee1394) {
        error = "a drive is behind USB or IEEE 1394, not both";
        return false;
    }
    if (drive.nLetter >= 0 && !port.empty())
        pMachine->SetLetterAddress(drive.nLetter, port[0], port[1], port[2], port[3]);
    state.pDescription->drives.push_back(drive);
    return true;
}

bool ParseStatement(ParseState& state, const std::vector<EmuDiscWord>& tokens, std::string& error)
{
    IEmuMachine* pMachine = state.pMachine;
    const std::string& verb = tokens[0].text;
    long long value = 0;
    if (verb == "drive")
        return ParseDrive(state, tokens, error);
    if (verb == "aspi-status") {
        if (tokens.size() != 2 || !EmuParseNumber(tokens[1].text, value) || value < 0 || value > 255) {
            error = "aspi-status needs a number 0-255";
            return false;
        }
        state.nAspiStatus = int(value);
        return true;
    }
    if (verb == "adapter") {
        if (tokens.size() < 2 || !EmuParseNumber(tokens[1].text, value) || value < 0 || value > 7) {
            error = "adapter needs a host adapter number 0-7";
            return false;
        }
        int nAdapter = int(value);
        AdapterStatement statement;
        for (size_t i = 2; i < tokens.size(); i += 2) {
            if (i + 1 >= tokens.size()) {
                error = "adapter option without a value";
                return false;
            }
            const std::string& option = tokens[i].text;
            bool bOk = (option == "scsi-id" && EmuParseNumber(tokens[i + 1].text, statement.nScsiId)) ||
                       (option == "max-targets" && EmuParseNumber(tokens[i + 1].text, statement.nMaxTargets) &&
                        statement.nMaxTargets >= 0 && statement.nMaxTargets < 128) ||
                       (option == "class" && tokens[i + 1].text == "scsi") ||
                       (option == "manager" && tokens[i + 1].quoted) ||
                       (option == "identifier" && tokens[i + 1].quoted);
            if (!bOk) {
                error = "bad adapter option " + option;
                return false;
            }
            if (option == "manager")
                statement.manager = tokens[i + 1].text;
            else if (option == "identifier")
                statement.identifier = tokens[i + 1].text;
            else if (option == "class")
                statement.bScsi = true;
        }
        uint8_t unique[16] = {};
        unique[3] = uint8_t(statement.nMaxTargets);
        const std::string identifier = statement.identifier.empty() ? "EMULATED ADAPTER" : statement.identifier;
        pMachine->SetAspiAdapter(nAdapter, uint8_t(statement.nScsiId), statement.manager.c_str(), identifier.c_str(),
                                 unique);
        state.adapters[nAdapter] = statement;
        if (statement.bScsi)
            state.pDescription->scsiAdapters.push_back({nAdapter, identifier});
        state.nAdapterCount = std::max(state.nAdapterCount, nAdapter + 1);
        return true;
    }
    if (verb == "log") {
        if (tokens.size() != 2) {
            error = "log needs one file name";
            return false;
        }
        state.pDescription->strLogPath = tokens[1].text;
        return true;
    }

    bool bDiscStatement = verb.compare(0, 5, "disc-") == 0;
    if (verb != "disc" && !bDiscStatement && verb != "interface-code" && verb != "set" && verb != "bytes") {
        error = "unknown statement " + verb;
        return false;
    }
    if (state.pDescription->drives.empty()) {
        error = verb + " before the first drive";
        return false;
    }
    int nDrive = state.pDescription->drives.back().nDrive;
    if (verb == "disc")
        return ApplyDisc(pMachine, nDrive, tokens, error);
    if (bDiscStatement) {
        return EmuApplyDiscStatement(pMachine, nDrive, tokens, error);
    }
    if (verb == "interface-code") {
        if (tokens.size() != 2 || !EmuParseNumber(tokens[1].text, value) || value < 0 || value > 255) {
            error = "interface-code needs a number 0-255";
            return false;
        }
        std::vector<uint8_t> info(512, 0);
        uint32_t nHeld = pMachine->GetBytes(nDrive, "vendor.info", info.data(), uint32_t(info.size()));
        if (nHeld > info.size())
            info.resize(nHeld);
        pMachine->GetBytes(nDrive, "vendor.info", info.data(), uint32_t(info.size()));
        info[49] = uint8_t(value);
        pMachine->SetBytes(nDrive, "vendor.info", info.data(), uint32_t(info.size()));
        return true;
    }
    if (verb == "set") {
        if (tokens.size() != 3 || !EmuParseNumber(tokens[2].text, value)) {
            error = "set needs a key and a number";
            return false;
        }
        pMachine->SetInt(nDrive, tokens[1].text.c_str(), value);
        return true;
    }
    if (verb == "bytes") {
        if (tokens.size() < 2) {
            error = "bytes needs a key";
            return false;
        }
        std::vector<uint8_t> data;
        for (size_t i = 2; i < tokens.size(); ++i) {
            char* end = nullptr;
            unsigned long byte = std::strtoul(tokens[i].text.c_str(), &end, 16);
            if (tokens[i].text.empty() || *end != '\0' || byte > 0xFF) {
                error = "bad byte " + tokens[i].text;
                return false;
            }
            data.push_back(uint8_t(byte));
        }
        pMachine->SetBytes(nDrive, tokens[1].text.c_str(), data.data(), uint32_t(data.size()));
        return true;
    }
    return false;
}

// The ASPI adapters of drives behind an IEEE 1394 bridge become the bridge's port: on Windows 9x the adapter's
// identifier names its port driver, and the storage class entry written for it makes the discovery see IEEE
// 1394. An adapter statement's identifier is kept; without one the adapter answers "EMU1394", which the other
// default identifiers do not match. Done after the last line, as adapter statements may follow the drives.
void FinishIeee1394Ports(ParseState& state)
{
    std::set<int> done;
    for (const EmuDescribedDrive& drive : state.pDescription->drives) {
        if (!drive.bIeee1394 || drive.nAspiAdapter < 0 || !done.insert(drive.nAspiAdapter).second)
            continue;
        AdapterStatement& statement = state.adapters[drive.nAspiAdapter];
        if (statement.identifier.empty()) {
            statement.identifier = "EMU1394";
            uint8_t unique[16] = {};
            state.pMachine->SetAspiAdapter(drive.nAspiAdapter, uint8_t(statement.nScsiId), statement.manager.c_str(),
                                           statement.identifier.c_str(), unique);
        }
        std::vector<std::string>& ports = state.pDescription->ieee1394Ports;
        if (std::find(ports.begin(), ports.end(), statement.identifier) == ports.end())
            ports.push_back(statement.identifier);
    }
}

// --- registry --------------------------------------------------------------------------------------------------

void SetText(HKEY hRoot, const std::string& path, const char* pszName, const std::string& value)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(hRoot, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS &&
        RegCreateKeyExA(hRoot, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(hKey);
}

// The device name the Windows 9x registry gives a SCSI device: vendor and product, blanks as '_', upper case.
std::string RegistryDeviceName(const EmuDescribedDrive& drive)
{
    std::string name = drive.strVendor + drive.strProduct;
    for (char& c : name)
        c = c == ' ' ? '_' : char(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// The module (library or program) that holds this code.
HMODULE ThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &hModule);
    return hModule;
}

void Report(const std::string& text)
{
    std::string line = "emulator: " + text + "\n";
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

// Inside the test ASPI library: apply its description when loaded, write the command log when unloaded.
class CLibraryDescription {
public:
    CLibraryDescription()
    {
        if (ThisModule() == GetModuleHandleA(nullptr))
            return; // linked into a program: the program decides
        std::string error;
        m_bApplied = EmuApplyModuleDescription(EmuGetMachine(), "TAVISK_EMU_DESCRIPTION", "wnaspi32.emu", true,
                                               m_description, error);
        if (!error.empty())
            Report(error);
    }
    ~CLibraryDescription()
    {
        if (m_bApplied && !m_description.strLogPath.empty())
            EmuWriteCommandLog(EmuGetMachine(), m_description.strLogPath);
    }

private:
    EmuDescription m_description;
    bool m_bApplied = false;
};

CLibraryDescription g_libraryDescription;

} // namespace

bool EmuParseDescription(const std::string& text, IEmuMachine* pMachine, EmuDescription& description,
                         std::string& error)
{
    error.clear();
    description = EmuDescription();
    pMachine->Reset();
    ParseState state;
    state.pMachine = pMachine;
    state.pDescription = &description;
    std::stringstream stream(text);
    std::string line;
    int nLine = 0;
    bool bOk = true;
    while (bOk && std::getline(stream, line)) {
        ++nLine;
        std::vector<EmuDiscWord> tokens;
        std::string lineError;
        if (!EmuSplitLine(line, tokens, lineError) || (!tokens.empty() && !ParseStatement(state, tokens, lineError))) {
            error = "line " + std::to_string(nLine) + ": " + lineError;
            bOk = false;
        }
    }
    FinishIeee1394Ports(state);
    pMachine->SetAspiSupport(uint8_t(state.nAspiStatus), uint8_t(state.nAdapterCount));
    return bOk;
}

bool EmuLoadDescriptionFile(const char* pszPath, IEmuMachine* pMachine, EmuDescription& description, std::string& error)
{
    FILE* pFile = std::fopen(pszPath, "rb");
    if (pFile == nullptr) {
        error = std::string("cannot read the description ") + pszPath;
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pFile)) > 0)
        text.append(chunk, n);
    std::fclose(pFile);
    if (!EmuParseDescription(text, pMachine, description, error)) {
        error = std::string(pszPath) + ", " + error;
        return false;
    }
    return true;
}

// The emulated PCI IDE controller that every drive not behind a USB bridge hangs on (one function per adapter).
const char kEmuControllerDevice[] = "VEN_8086&DEV_7111&SUBSYS_00000000&REV_01";
const char kEmuControllerBus[] = "BUS_00&DEV_07&FUNC_0";
const char kEmuScsiDescription[] = "Emulated Fast SCSI Host Adapter";

std::string LowerText(std::string text)
{
    for (char& ch : text)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

void EmuWriteWin9xRegistry(const EmuDescription& description)
{
    const char kStorageClass[] = "System\\CurrentControlSet\\Services\\Class\\Storage\\";
    char entry[16];
    for (int nEntry = 0;; ++nEntry) {
        std::snprintf(entry, sizeof entry, "EMU%04d", nEntry);
        if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kStorageClass + std::string(entry)).c_str()) != ERROR_SUCCESS)
            break;
    }
    for (int nAdapter = 0; nAdapter < 8; ++nAdapter) { // SCSI adapters of an earlier description
        std::snprintf(entry, sizeof entry, "EMUS%03d", nAdapter);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      (std::string("System\\CurrentControlSet\\Services\\Class\\SCSIAdapter\\") + entry).c_str());
    }
    for (size_t nEntry = 0; nEntry < description.ieee1394Ports.size(); ++nEntry) {
        std::snprintf(entry, sizeof entry, "EMU%04d", int(nEntry));
        std::string key = kStorageClass + std::string(entry);
        SetText(HKEY_LOCAL_MACHINE, key, "PortDriver", description.ieee1394Ports[nEntry] + ".mpd");
        SetText(HKEY_LOCAL_MACHINE, key, "DriverDesc", "Emulated IEEE 1394 SBP2 Device");
    }

    int nNode = 0;
    for (const EmuDescribedDrive& drive : description.drives) {
        if (drive.nAspiAdapter < 0 || drive.nLetter < 0)
            continue;
        // A drive on a controller is listed below its parent: the controller's enumerator, device and instance,
        // then the target and LUN digits; the controller's key names its class entry, whose port driver the
        // report shows. A USB drive's instance names the USB bridge enumerator.
        char instance[96];
        if (drive.bUsb) {
            std::snprintf(instance, sizeof instance, "NECUSB&EMUDRIVE%d", nNode);
        } else {
            std::snprintf(instance, sizeof instance, "PCI&%s&%s%d%X%d", kEmuControllerDevice, kEmuControllerBus,
                          drive.nAspiAdapter, drive.nAspiTarget & 0xF, drive.nAspiLun & 0xF);
            const std::string* pScsiIdentifier = nullptr;
            for (const auto& scsi : description.scsiAdapters)
                if (scsi.first == drive.nAspiAdapter)
                    pScsiIdentifier = &scsi.second;
            char controller[160], driver[32];
            std::snprintf(controller, sizeof controller, "Enum\\PCI\\%s\\%s%d", kEmuControllerDevice, kEmuControllerBus,
                          drive.nAspiAdapter);
            std::snprintf(driver, sizeof driver, pScsiIdentifier != nullptr ? "SCSIAdapter\\EMUS%03d" : "hdc\\%04d",
                          drive.nAspiAdapter);
            SetText(HKEY_LOCAL_MACHINE, controller, "DeviceDesc",
                    pScsiIdentifier != nullptr ? kEmuScsiDescription : "Emulated PCI Bus Master IDE Controller");
            SetText(HKEY_LOCAL_MACHINE, controller, "Driver", driver);
            const std::string classKey = std::string("System\\CurrentControlSet\\Services\\Class\\") + driver;
            if (pScsiIdentifier != nullptr) {
                SetText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\SCSIAdapter", "",
                        "SCSI controllers");
                SetText(HKEY_LOCAL_MACHINE, classKey, "PortDriver", LowerText(*pScsiIdentifier) + ".mpd");
                SetText(HKEY_LOCAL_MACHINE, classKey, "DriverDesc", kEmuScsiDescription);
            } else {
                SetText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\hdc", "",
                        "Hard disk controllers");
                SetText(HKEY_LOCAL_MACHINE, classKey, "PortDriver", "EMUIDE.PDR");
            }
            SetText(HKEY_LOCAL_MACHINE, classKey, "DriverDate", " 4-23-1999");
            SetText(HKEY_LOCAL_MACHINE, classKey, "ProviderName", "Tavisk test suite");
        }
        std::string device = RegistryDeviceName(drive);
        char node[64];
        std::snprintf(node, sizeof node, "Config Manager\\Enum\\EMU%05d", nNode);
        SetText(HKEY_DYN_DATA, node, "HardWareKey", "SCSI\\" + device + "\\" + instance);
        std::string enumKey = "Enum\\SCSI\\" + device + "\\" + instance;
        SetText(HKEY_LOCAL_MACHINE, enumKey, "CurrentDriveLetterAssignment", std::string(1, char('A' + drive.nLetter)));
        char target[8];
        std::snprintf(target, sizeof target, "%X", drive.nAspiTarget);
        SetText(HKEY_LOCAL_MACHINE, enumKey, "SCSITargetID", target);
        ++nNode;
    }
}

bool EmuWriteCommandLog(IEmuMachine* pMachine, const std::string& path)
{
    FILE* pFile = std::fopen(path.c_str(), "wt");
    if (pFile == nullptr)
        return false;
    int nCount = pMachine->GetLogCount();
    for (int i = 0; i < nCount; ++i) {
        EmuLogEntry entry;
        if (!pMachine->GetLogEntry(i, &entry))
            continue;
        if (entry.nFrontEnd == kEmuFrontAspi)
            std::fprintf(pFile, "aspi %d:%d:%d", entry.nAdapter, entry.nTarget, entry.nLun);
        else if (entry.nFrontEnd == kEmuFrontLetter)
            std::fprintf(pFile, "letter %c", char('A' + entry.nLetter));
        else
            std::fprintf(pFile, "port %d:%d:%d:%d", entry.nAdapter, entry.nPathId, entry.nTarget, entry.nLun);
        if (entry.nKind == kEmuRequestScsi)
            std::fprintf(pFile, " op %02X status %d\n", entry.cdb[0], entry.nScsiStatus);
        else
            std::fprintf(pFile, " request %d\n", entry.nKind);
    }
    std::fclose(pFile);
    return true;
}

bool EmuApplyModuleDescription(IEmuMachine* pMachine, const char* pszVariable, const char* pszFileName,
                               bool bWriteRegistry, EmuDescription& description, std::string& error)
{
    error.clear();
    std::string path;
    char buffer[MAX_PATH];
    DWORD nLength = GetEnvironmentVariableA(pszVariable, buffer, sizeof buffer);
    if (nLength > 0 && nLength < sizeof buffer) {
        path = buffer;
    } else {
        nLength = GetModuleFileNameA(ThisModule(), buffer, sizeof buffer);
        if (nLength == 0 || nLength >= sizeof buffer)
            return false;
        path = buffer;
        path = path.substr(0, path.find_last_of("\\/") + 1) + pszFileName;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return false;
    }
    if (!EmuLoadDescriptionFile(path.c_str(), pMachine, description, error))
        return false;
    if (bWriteRegistry)
        EmuWriteWin9xRegistry(description);
    return true;
}
