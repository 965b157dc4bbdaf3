// src/drive/BusType.cpp
// Bus types of host adapters. Windows has no direct query for the bus an adapter sits on, so the type is
// inferred from the name of the adapter's port driver and from where that driver is registered: the device
// classes of Windows 2000/XP, the driver name alone on NT 4.0 and Vista, the class keys of Windows 9x.
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <ntddscsi.h>

#include "drive/Aspi.h"
#include "drive/DeviceIo.h"
#include "drive/InquiryData.h"
#include "drive/ScsiTransport.h"
#include "framework/WindowsVersion.h"
#include "drive/SetupApiSeam.h"
#include "framework/Exceptions.h"
#include "framework/Registry.h"

namespace {

// Device classes, in the order the NT 5 method searches them, with the type of a port driver found there.
const GUID kClassScsiAdapter = {0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kClassUsb = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID kClass1394 = {0x6BDD1FC1, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const GUID kClassHdc = {0x4D36E96A, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct PortClass {
    const GUID* pClass;
    int nBusType;
};

const PortClass kPortClasses[] = {
    {&kClassScsiAdapter, kBusTypeScsi},
    {&kClassUsb, kBusTypeUsb},
    {&kClass1394, kBusType1394},
    {&kClassHdc, kBusTypeIdeChannel},
};

// Answers of MatchClassDeviceToPort and FindPortInDeviceClass besides the bus types 0, 1 and 2.
const int kFoundInClass = 100;
const int kNotInClass = kBusTypeNoClass;
const int kClassDeviceUnreadable = -1;

const int kDeviceIdChars = 200;
const DWORD kMaxClassDevices = 4096; // bound of a class walk
const DWORD kSubKeyNameChars = 30;   // subkey names of the IDE channel and Windows 9x class keys
const int kIdentifierSize = 100;     // the caller's port driver name buffer
const int kManagerIdSize = 17;
const int kChannelNameChars = 100; // characters of a channel name that are converted to UTF-16

const char kIdeChannelKey[] = "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel";
const char kWin9xScsiAdapterClass[] = "System\\CurrentControlSet\\Services\\Class\\SCSIAdapter";
const char kWin9xHdcClass[] = "System\\CurrentControlSet\\Services\\Class\\hdc";
const char kWin9xStorageClass[] = "System\\CurrentControlSet\\Services\\Class\\Storage";

// Localised channel names: 8-bit words in code page 1252 (0xE4 is a-umlaut), and Chinese and Japanese words.
const char* const kPrimaryWords[] = {"primary",
                                     "prim\xe4"
                                     "rer",
                                     "principal", "primario", "primair"};
const char* const kSecondaryWords[] = {"secondary",
                                       "secondaire",
                                       "sekund\xe4"
                                       "rer",
                                       "secondario",
                                       "secundario",
                                       "secundair"};
const wchar_t* const kPrimaryWideWords[] = {L"\u4E3B\u8981", L"\u30DE\u30EA"};
const wchar_t* const kSecondaryWideWords[] = {L"\u6B21\u8981", L"\u30BB\u30AB\u30F3\u30C0\u30EA"};

bool Contains(const CString& text, const char* pszWord)
{
    return text.Find(pszWord) >= 0;
}

// The type that a driver description gives: 1 for an ATA controller ("ide" or "ata"), 2 when it is a Serial
// ATA one; -1 when it names neither. The text is lower-case.
int AtaTypeFromDescription(const CString& description)
{
    if (!Contains(description, "ide") && !Contains(description, "ata"))
        return -1;
    if (Contains(description, "serial") || Contains(description, "s-ata") || Contains(description, "sata"))
        return kBusTypeSerialAta;
    return kBusTypeAta;
}

// A string value of a subkey, cut to nMaxChars characters; false when the subkey or the value cannot be read.
bool ReadSubKeyString(HKEY hParent, const char* pszSubKey, const char* pszValue, int nMaxChars, CString& text)
{
    CRegistryKey key;
    if (key.Open(hParent, pszSubKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    CString value;
    if (key.QueryString(pszValue, value) != ERROR_SUCCESS)
        return false;
    text = value.Left(nMaxChars);
    return true;
}

// Lower-cases nLength bytes of text in code page nCodePage in place, character by character, so that the trail
// byte of a double-byte character is never changed on its own. When the round trip through UTF-16 does not give
// back the same number of bytes (a character without a lower-case form of the same size), only the ASCII letters
// of single-byte characters are lowered.
void LowerInCodePage(char* pszText, int nLength, UINT nCodePage)
{
    int nWide = MultiByteToWideChar(nCodePage, 0, pszText, nLength, nullptr, 0);
    if (nWide > 0) {
        std::vector<wchar_t> wide(size_t(nWide) + 1, L'\0');
        MultiByteToWideChar(nCodePage, 0, pszText, nLength, wide.data(), nWide);
        CharLowerBuffW(wide.data(), DWORD(nWide));
        std::vector<char> lowered(size_t(nLength) + 1, '\0');
        int nBytes = WideCharToMultiByte(nCodePage, 0, wide.data(), nWide, lowered.data(), nLength, nullptr, nullptr);
        if (nBytes == nLength) {
            std::memcpy(pszText, lowered.data(), size_t(nLength));
            return;
        }
    }
    for (int i = 0; i < nLength; ++i) {
        unsigned char ch = static_cast<unsigned char>(pszText[i]);
        if (Mbcs::IsLeadByte(ch, nCodePage) && i + 1 < nLength)
            ++i;
        else if (ch >= 'A' && ch <= 'Z')
            pszText[i] = char(ch - 'A' + 'a');
    }
}

// The channel-name test: the text (up to its NUL, at most nLength bytes) is converted to UTF-16 with the code
// page, at most 100 characters of it are kept, the 8-bit text is lower-cased in place, and the result is true
// when the 8-bit text holds one of the 8-bit words or the UTF-16 text one of the wide words.
template <size_t N, size_t W>
bool IsChannelName(char* pszText, int nLength, UINT nCodePage, const char* const (&words)[N],
                   const wchar_t* const (&wideWords)[W])
{
    if (pszText == nullptr || nLength <= 0)
        return false;
    int nBytes = 0;
    while (nBytes < nLength && pszText[nBytes] != '\0')
        ++nBytes;
    if (nBytes == 0)
        return false;

    std::wstring wide;
    int nWide = MultiByteToWideChar(nCodePage, 0, pszText, nBytes, nullptr, 0);
    if (nWide > 0) {
        wide.assign(size_t(nWide), L'\0');
        MultiByteToWideChar(nCodePage, 0, pszText, nBytes, &wide[0], nWide);
        if (wide.size() > size_t(kChannelNameChars))
            wide.resize(kChannelNameChars);
    }

    LowerInCodePage(pszText, nBytes, nCodePage);
    for (const char* pszWord : words) {
        if (Mbcs::FindString(pszText, nBytes, pszWord, 0, nCodePage) >= 0)
            return true;
    }
    for (const wchar_t* pszWord : wideWords) {
        if (wide.find(pszWord) != std::wstring::npos)
            return true;
    }
    return false;
}

} // namespace

// Chooses the method by the platform and major version that Windows reports: any platform other than NT takes
// the Windows 9x method, NT 5 (2000, XP, Server 2003) the device-class method, every other NT version (NT 4.0,
// and Vista with 6) the method that reads only the port driver's name.
int CScsiTransport::DetectBusType(int nAdapter)
{
    if (nAdapter < 0 || nAdapter >= m_Adapters.GetSize())
        AfxThrowInvalidArgException();
    OSVERSIONINFOEXA version;
    AfxGetWindowsVersion(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return DetectBusTypeWin9x(nAdapter);
    if (version.dwMajorVersion == 5)
        return DetectBusTypeNT5(nAdapter);
    return DetectBusTypeNT4(nAdapter);
}

// True on the NT platform with major version 5 (Windows 2000, XP, Server 2003).
bool CScsiTransport::IsNT5Family()
{
    return AfxIsNT5Family();
}

namespace {

// Device interface class of storage ports.
const GUID kInterfaceStoragePort = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const DWORD kMaxInterfaceDetailSize = 4096;

} // namespace

// Lists the present storage-port interfaces of the enumerator, takes the first, reads its device path (size
// asked first, bounded) and asks the device, opened with no access rights, for its SCSI address.
int CScsiTransport::GetStoragePortAddress(const char* pszEnumerator, SCSI_ADDRESS* pAddress)
{
    const SetupApiTable& api = GetSetupApiTable();
    CDeviceInfoList interfaces(kInterfaceStoragePort, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, pszEnumerator);
    if (!interfaces.IsCreated())
        return -1;
    SP_DEVICE_INTERFACE_DATA interfaceData;
    std::memset(&interfaceData, 0, sizeof(interfaceData));
    interfaceData.cbSize = sizeof(interfaceData);
    if (!api.pfnEnumDeviceInterfaces(interfaces.get(), nullptr, &kInterfaceStoragePort, 0, &interfaceData))
        return -1;
    DWORD nRequired = 0;
    api.pfnGetDeviceInterfaceDetailA(interfaces.get(), &interfaceData, nullptr, 0, &nRequired, nullptr);
    if (nRequired <= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || nRequired > kMaxInterfaceDetailSize)
        return -1;
    std::vector<BYTE> buffer(size_t(nRequired) + 1, 0);
    SP_DEVICE_INTERFACE_DETAIL_DATA_A* pDetail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    pDetail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!api.pfnGetDeviceInterfaceDetailA(interfaces.get(), &interfaceData, pDetail, nRequired, nullptr, nullptr))
        return -1;

    CDeviceHandle device(DeviceIoCreateFile(pDetail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    if (!device.IsCreated())
        return -1;
    SCSI_ADDRESS address;
    std::memset(&address, 0, sizeof(address));
    DWORD nReturned = 0;
    if (!DeviceIoControlCall(device.get(), IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof(address), &nReturned,
                             nullptr))
        return -1;
    if (pAddress != nullptr)
        *pAddress = address;
    return address.PortNumber;
}

namespace {

// Stores the bus type in the adapter and in every record of every group.
int StoreBusType(CHostAdapter& adapter, int nBusType)
{
    adapter.m_nBusType = nBusType;
    ForEachDeviceRecord(adapter, [nBusType](CDeviceRecord& record) { record.m_nBusType = nBusType; });
    return nBusType;
}

// The adapter's port driver name (under ASPI the adapter identifier) and the result of GetPortDriverName.
int ReadPortDriverName(CScsiTransport& transport, int nAdapter, CString& name)
{
    char szManagerId[kManagerIdSize];
    char szIdentifier[kIdentifierSize];
    BYTE unique[16];
    int nScsiId = 0;
    int nResult = transport.GetPortDriverName(nAdapter, szManagerId, szIdentifier, unique, &nScsiId);
    name = szIdentifier;
    return nResult;
}

} // namespace

// NT 4.0 and Vista: an IDE port driver ("atapi", "esdi", any name with "ata") is an IDE channel, everything
// else, and a name that cannot be read, SCSI.
int CScsiTransport::DetectBusTypeNT4(int nAdapter)
{
    CHostAdapter& adapter = m_Adapters[nAdapter];
    int nType = kBusTypeScsi;
    CString name;
    if (ReadPortDriverName(*this, nAdapter, name) == 1) {
        name.MakeLower();
        if (Contains(name, "esdi") || Contains(name, "atapi") || Contains(name, "ata"))
            nType = kBusTypeIdeChannel;
    }
    return StoreBusType(adapter, nType);
}

// Windows 2000, XP and Server 2003: the device class that holds the port driver as a device's service.
int CScsiTransport::DetectBusTypeNT5(int nAdapter)
{
    CHostAdapter& adapter = m_Adapters[nAdapter];
    CString name;
    ReadPortDriverName(*this, nAdapter, name);
    return StoreBusType(adapter, ClassifyPortByDeviceClass(name));
}

// Searches the SCSI adapter, USB, IEEE 1394 and hard-disk-controller classes in turn. A class that holds the
// driver gives its type; a class that answers something else (an IDE channel or ATA controller found there, or
// 0 when the class cannot be listed) ends the search with that answer. 666 when no class holds the driver.
int CScsiTransport::ClassifyPortByDeviceClass(const char* pszPortDriver)
{
    for (const PortClass& portClass : kPortClasses) {
        int nAnswer = FindPortInDeviceClass(*portClass.pClass, pszPortDriver);
        if (nAnswer == kFoundInClass)
            return portClass.nBusType;
        if (nAnswer != kNotInClass)
            return nAnswer;
    }
    return kBusTypeNoClass;
}

// Walks the present devices of the class until one gives an answer other than 666. A device that cannot be read
// (or the end of the list) counts as 666, so the search in this class ends there. A class that cannot be listed
// answers 0, as the NT 5 method always has.
int CScsiTransport::FindPortInDeviceClass(const GUID& deviceClass, const char* pszPortDriver)
{
    CDeviceInfoList devices(deviceClass, DIGCF_PRESENT);
    if (!devices.IsCreated())
        return kBusTypeIdeChannel;
    int nAnswer = kNotInClass;
    for (DWORD nIndex = 0; nIndex < kMaxClassDevices; ++nIndex) {
        nAnswer = MatchClassDeviceToPort(devices.get(), nIndex, pszPortDriver);
        if (nAnswer != kNotInClass)
            break;
    }
    return nAnswer == kClassDeviceUnreadable ? kNotInClass : nAnswer;
}

namespace {

// A registry property of a class device: the size is asked first, then the property is read into a zeroed
// buffer of twice that size plus 2 bytes, so the text always ends in NUL.
bool ReadDeviceProperty(HDEVINFO hDevInfo, SP_DEVINFO_DATA& data, DWORD nProperty, CString& text)
{
    const SetupApiTable& api = GetSetupApiTable();
    DWORD nRequired = 0;
    DWORD nType = 0;
    if (!api.pfnGetDeviceRegistryPropertyA(hDevInfo, &data, nProperty, &nType, nullptr, 0, &nRequired) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    DWORD nSize = nRequired * 2 + 2;
    std::vector<BYTE> buffer(nSize, 0);
    if (!api.pfnGetDeviceRegistryPropertyA(hDevInfo, &data, nProperty, &nType, buffer.data(), nSize, nullptr))
        return false;
    buffer[nSize - 1] = 0;
    text = reinterpret_cast<const char*>(buffer.data());
    return true;
}

// True when the driver key of a device is that of an IDE channel instance: a subkey of PCIIDE\IDEChannel whose
// "Driver" value (lower-cased) is contained in it. Every instance is looked at; empty values are passed over.
bool IsIdeChannelDriverKey(const CString& driverKey)
{
    CRegistryKey channels;
    if (channels.Open(HKEY_LOCAL_MACHINE, kIdeChannelKey, KEY_READ) != ERROR_SUCCESS)
        return false;
    bool bChannel = false;
    CStringArray names;
    channels.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CString driver;
        if (!ReadSubKeyString(channels.get(), names[i], "Driver", 299, driver) || driver.IsEmpty())
            continue;
        driver.MakeLower();
        if (Contains(driverKey, driver))
            bChannel = true;
    }
    return bChannel;
}

} // namespace

// One device of a class against the port driver name. -1 when the device or one of its properties (service
// name, driver key, description) cannot be read; 666 when its service is not the port driver; otherwise 0 for
// an IDE channel (its driver key is that of a PCIIDE\IDEChannel instance), 1 or 2 for an ATA or Serial ATA
// controller by its description, else 100. An empty port driver name is contained in every service name.
int CScsiTransport::MatchClassDeviceToPort(void* hDevInfo, DWORD nIndex, const char* pszPortDriver)
{
    const SetupApiTable& api = GetSetupApiTable();
    SP_DEVINFO_DATA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    if (!api.pfnEnumDeviceInfo(hDevInfo, nIndex, &data))
        return kClassDeviceUnreadable;
    char szDeviceId[kDeviceIdChars + 1];
    std::memset(szDeviceId, 0, sizeof(szDeviceId));
    if (!api.pfnGetDeviceInstanceIdA(hDevInfo, &data, szDeviceId, sizeof(szDeviceId), nullptr))
        return kClassDeviceUnreadable;

    CString service, driverKey, description;
    if (!ReadDeviceProperty(hDevInfo, data, SPDRP_SERVICE, service) ||
        !ReadDeviceProperty(hDevInfo, data, SPDRP_DRIVER, driverKey) ||
        !ReadDeviceProperty(hDevInfo, data, SPDRP_DEVICEDESC, description))
        return kClassDeviceUnreadable;
    CString portDriver(pszPortDriver != nullptr ? pszPortDriver : "");
    service.MakeLower();
    driverKey.MakeLower();
    description.MakeLower();
    portDriver.MakeLower();
    if (!Contains(service, portDriver))
        return kNotInClass;

    if (IsIdeChannelDriverKey(driverKey))
        return kBusTypeIdeChannel;
    int nAtaType = AtaTypeFromDescription(description);
    return nAtaType >= 0 ? nAtaType : kFoundInClass;
}

// The name of the adapter's port driver and, under ASPI, the host adapter inquiry's other answers. Both texts
// start out empty, so a caller never reads a buffer that nothing filled.
int CScsiTransport::GetPortDriverName(int nAdapter, char* pszManagerId, char* pszIdentifier, BYTE* pUnique,
                                      int* pnScsiId)
{
    pszManagerId[0] = '\0';
    pszIdentifier[0] = '\0';
    if (m_nAccessMode == kAccessModeSpti) {
        CHostAdapter& adapter = m_Adapters[nAdapter];
        CDeviceHandle port(DeviceIoOpenReadWrite(adapter.m_strName));
        if (port.IsCreated()) {
            std::vector<BYTE> reply(kPortInquiryBufferSize, 0);
            DWORD nReturned = 0;
            DeviceIoControlCall(port.get(), IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, reply.data(),
                                kPortInquiryBufferSize, &nReturned, nullptr);
            *pnScsiId = reply[5];
            port.Close();
            ReadPortDriverFromDeviceMap(adapter.m_nPortNumber, pszIdentifier);
        }
        std::strcpy(pszManagerId, "N/A");
        std::memset(pUnique, 0, 16);
        return 1;
    }
    if (m_nAccessMode == kAccessModeAspi && m_pfnSendASPI32Command != nullptr) {
        SRB_HAInquiry inquiry;
        std::memset(&inquiry, 0, sizeof(inquiry));
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        inquiry.SRB_HaId = uint8_t(nAdapter);
        int nStatus = int(m_pfnSendASPI32Command(&inquiry));
        std::memcpy(pszManagerId, inquiry.HA_ManagerId, 16);
        pszManagerId[16] = '\0';
        std::memcpy(pszIdentifier, inquiry.HA_Identifier, 16);
        pszIdentifier[16] = '\0';
        std::memcpy(pUnique, inquiry.HA_Unique, 16);
        *pnScsiId = inquiry.HA_SCSI_ID;
        return nStatus;
    }
    return 0;
}

// "Unknown" when the keys open but the value's size cannot be read; empty when the size is known but the value
// cannot be read. The text is always terminated within the 100 characters of pszOut.
char* CScsiTransport::ReadPortDriverFromDeviceMap(int nPort, char* pszOut)
{
    char szKey[64];
    wsprintfA(szKey, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %1d", nPort);
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, szKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return pszOut;
    DWORD nType = 0;
    CByteArray value;
    std::strcpy(pszOut, "Unknown");
    if (key.QueryRaw("Driver", nType, value) != ERROR_SUCCESS)
        return pszOut;
    std::memset(pszOut, 0, 12);
    size_t nRead = size_t(value.GetSize());
    size_t nCopy = nRead < size_t(kIdentifierSize - 1) ? nRead : size_t(kIdentifierSize - 1);
    if (nCopy > 0)
        std::memcpy(pszOut, value.GetData(), nCopy);
    pszOut[nCopy] = '\0';
    return pszOut;
}

namespace {

// Walks the subkeys of a Windows 9x class key in enumeration order and hands each one whose lower-cased
// "PortDriver" contains the identifier to the visitor, until the visitor returns false. A class key that cannot
// be opened has no such subkeys.
template <class Visit>
void ForEachClassEntryOfPort(const char* pszClassKey, const CString& identifier, Visit visit)
{
    CRegistryKey classKey;
    if (classKey.Open(HKEY_LOCAL_MACHINE, pszClassKey, KEY_READ) != ERROR_SUCCESS)
        return;
    CStringArray names;
    classKey.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CString portDriver;
        if (!ReadSubKeyString(classKey.get(), names[i], "PortDriver", 99, portDriver))
            continue;
        portDriver.MakeLower();
        if (Contains(portDriver, identifier) && !visit(classKey.get(), names[i]))
            break;
    }
}

// The type a hard-disk-controller text gives: 0 for a primary or secondary IDE channel, else 1 or 2 for an ATA
// or Serial ATA controller, -1 for none of these. The text is lower-cased in place.
int ChannelOrAtaType(CString& text)
{
    text.MakeLower();
    bool bChannel = CScsiTransport::IsPrimaryChannelName(text.GetBuffer(), text.GetLength()) ||
                    CScsiTransport::IsSecondaryChannelName(text.GetBuffer(), text.GetLength());
    text.ReleaseBuffer();
    return bChannel ? int(kBusTypeIdeChannel) : AtaTypeFromDescription(text);
}

} // namespace

// Windows 9x: the ASPI adapter identifier (without the blanks that pad it to 16 characters) is looked for in the
// "PortDriver" values of the class keys. The SCSI adapter class gives 3 (1 or 2 for an ATA or Serial ATA
// controller by "DriverDesc"); the hard-disk-controller class gives 0 for a primary or secondary IDE channel,
// else 1 or 2 by "DriverDesc" or, when that names none and nothing matched before, by "MatchingDeviceId" (a
// later subkey overrides an earlier one); the storage class gives 5 for an IEEE 1394 device. Nothing found: 0.
int CScsiTransport::DetectBusTypeWin9x(int nAdapter)
{
    CHostAdapter& adapter = m_Adapters[nAdapter];
    CString identifier;
    int nIdentified = ReadPortDriverName(*this, nAdapter, identifier);
    identifier.TrimRight(' ');
    identifier.MakeLower();
    int nType = kBusTypeNotSet;

    if (nIdentified == 1) {
        ForEachClassEntryOfPort(kWin9xScsiAdapterClass, identifier, [&](HKEY hClass, const CString& name) {
            nType = kBusTypeScsi;
            CString description;
            if (ReadSubKeyString(hClass, name, "DriverDesc", 100, description)) {
                description.MakeLower();
                int nAtaType = AtaTypeFromDescription(description);
                if (nAtaType >= 0)
                    nType = nAtaType;
            }
            return false;
        });
    }

    if (nType == kBusTypeNotSet) {
        ForEachClassEntryOfPort(kWin9xHdcClass, identifier, [&](HKEY hClass, const CString& name) {
            int nFound = kBusTypeNotSet;
            CString description, matchingId;
            if (ReadSubKeyString(hClass, name, "DriverDesc", 100, description))
                nFound = ChannelOrAtaType(description);
            if (nFound < 0 && nType == kBusTypeNotSet &&
                ReadSubKeyString(hClass, name, "MatchingDeviceId", 299, matchingId))
                nFound = ChannelOrAtaType(matchingId);
            if (nFound >= 0)
                nType = nFound;
            return true;
        });
    }

    if (nType == kBusTypeNotSet) {
        ForEachClassEntryOfPort(kWin9xStorageClass, identifier, [&](HKEY hClass, const CString& name) {
            CString description;
            if (ReadSubKeyString(hClass, name, "DriverDesc", 100, description) &&
                (Contains(description, "1394") || Contains(description, "IEEE")))
                nType = kBusType1394;
            return true;
        });
    }

    if (nType == kBusTypeNotSet)
        nType = kBusTypeIdeChannel;
    return StoreBusType(adapter, nType);
}

bool CScsiTransport::IsPrimaryChannelName(char* pszText, int nLength)
{
    return IsChannelName(pszText, nLength, CP_ACP, kPrimaryWords, kPrimaryWideWords);
}

bool CScsiTransport::IsSecondaryChannelName(char* pszText, int nLength)
{
    return IsChannelName(pszText, nLength, CP_ACP, kSecondaryWords, kSecondaryWideWords);
}

bool CScsiTransport::IsPrimaryChannelName(char* pszText, int nLength, UINT nCodePage)
{
    return IsChannelName(pszText, nLength, nCodePage, kPrimaryWords, kPrimaryWideWords);
}

bool CScsiTransport::IsSecondaryChannelName(char* pszText, int nLength, UINT nCodePage)
{
    return IsChannelName(pszText, nLength, nCodePage, kSecondaryWords, kSecondaryWideWords);
}
