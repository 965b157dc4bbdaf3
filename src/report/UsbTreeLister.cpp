// src/report/UsbTreeLister.cpp
#include "report/UsbTreeLister.h"

#include "drive/DeviceIo.h"
#include "drive/DriveManager.h"
#include "report/SoftwareSection.h"

#include <winioctl.h>
#include <usbioctl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Request buffers, in bytes.
const DWORD kNameBufferSize = 516; // driver-key and root-hub names: length field, then UTF-16
const DWORD kNameOffset = 4;
const DWORD kNodeInfoSize = 76;       // hub node information
const DWORD kPortCountOffset = 6;     // bNumberOfPorts of the hub descriptor
const DWORD kConnectionInfoSize = 35; // node connection information without its pipe list
const DWORD kDeviceDescriptorOffset = 4;
const DWORD kDeviceIsHubOffset = 24;
const DWORD kConnectionStatusOffset = 31;
const DWORD kConnectionNameSize = 520; // connection index, length field, then UTF-16
const DWORD kConnectionNameOffset = 8;
const DWORD kDescriptorRequestSize = 2060; // connection index and setup packet (12 bytes), then 2048 data bytes
const DWORD kDescriptorDataOffset = 12;

// Names of devices are converted into at most this many ANSI characters.
const int kDeviceNameLength = 252;
// Hubs deeper than this get no port lines: USB allows five hubs below a root hub, and a looping answer must not
// recurse without end.
const int kMaxHubDepth = 8;

const char* const kConnectionStatusNames[] = {
    "No device connected",    "Device connected",          "Device FAILED enumeration",
    "Device general FAILURE", "Device caused overcurrent", "Not enough power for device",
};

const char* ConnectionStatusName(unsigned status)
{
    if (status < sizeof kConnectionStatusNames / sizeof kConnectionStatusNames[0])
        return kConnectionStatusNames[status];
    return "Unknown connection status";
}

void PutLe32(BYTE* p, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(value >> (8 * i));
}

void PutLe16(BYTE* p, WORD value)
{
    p[0] = BYTE(value);
    p[1] = BYTE(value >> 8);
}

WORD GetLe16(const BYTE* p)
{
    return WORD(p[0] | (p[1] << 8));
}

// UTF-16 text of at most nBytes bytes (an odd last byte is left out), ending at its first zero character, as ANSI
// text in the system's code page, converted explicitly.
CString AnsiFromUtf16(const BYTE* pData, DWORD nBytes, int nMaxLength)
{
    std::vector<WCHAR> wide;
    for (DWORD i = 0; i + 1 < nBytes; i += 2) {
        const WCHAR ch = WCHAR(pData[i] | (pData[i + 1] << 8));
        if (ch == 0)
            break;
        wide.push_back(ch);
    }
    if (wide.empty())
        return CString();
    std::vector<char> ansi(size_t(nMaxLength) + 1, 0);
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), ansi.data(), nMaxLength, nullptr, nullptr);
    return length > 0 ? CString(ansi.data(), length) : CString();
}

// The name in a name answer: from nOffset up to the bytes the request returned (the whole zeroed buffer when the
// request said nothing of its length).
CString NameFromAnswer(const BYTE* pBuffer, DWORD nBufferSize, DWORD nOffset, DWORD nReturned)
{
    const DWORD end = (nReturned > 0 && nReturned < nBufferSize) ? nReturned : nBufferSize;
    if (end <= nOffset)
        return CString();
    return AnsiFromUtf16(pBuffer + nOffset, end - nOffset, kDeviceNameLength);
}

DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

HANDLE OpenUsbDevice(LPCSTR pszName)
{
    return DeviceIoCreateFile(pszName, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The number of ports of a hub from its node information; false when the request fails.
bool HubPortCount(HANDLE hHub, int& nPorts)
{
    BYTE info[kNodeInfoSize] = {};
    DWORD returned = 0;
    if (!DeviceIoControlCall(hHub, IOCTL_USB_GET_NODE_INFORMATION, info, sizeof info, info, sizeof info, &returned,
                             nullptr))
        return false;
    // A short answer leaves the rest of the zeroed buffer: a hub that did not say how many ports it has has none.
    nPorts = (returned == 0 || returned > kPortCountOffset) ? info[kPortCountOffset] : 0;
    return true;
}

bool IsNt5Text(const CString& windows)
{
    return windows.Find("2000") >= 0 || windows.Find("XP") >= 0;
}

// Opens the keys of a path one level at a time, for reading.
bool OpenPath(HKEY hRoot, std::initializer_list<LPCSTR> levels, CRegKeyOwner& rKey)
{
    CRegKeyOwner current;
    HKEY parent = hRoot;
    for (LPCSTR level : levels) {
        HKEY key = nullptr;
        if (parent == nullptr || RegOpenKeyExA(parent, level, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        current.Attach(key);
        parent = current.get();
    }
    rKey = std::move(current);
    return rKey.IsCreated();
}

bool OpenChild(CRegKeyOwner& rKey, LPCSTR pszName)
{
    HKEY key = nullptr;
    if (!rKey.IsCreated() || RegOpenKeyExA(rKey.get(), pszName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    rKey.Attach(key);
    return true;
}

// A text value (size asked first) into pszOut: up to its first zero byte or its end, cut to 99 characters.
void ReadDescription(HKEY hKey, LPCSTR pszName, char* pszOut)
{
    pszOut[0] = '\0';
    DWORD size = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return;
    std::vector<char> data(size_t(size) + 1, 0);
    DWORD read = size;
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &read) != ERROR_SUCCESS)
        return;
    size_t length = strnlen(data.data(), read < size ? read : size);
    if (length > size_t(kUsbDescriptionSize - 1))
        length = kUsbDescriptionSize - 1;
    memcpy(pszOut, data.data(), length);
    pszOut[length] = '\0';
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------

CUsbTreeLister::CUsbTreeLister() : m_nMode(0)
{
    m_szDeviceText[0] = '\0';
}

CUsbTreeLister::~CUsbTreeLister() = default;

void CUsbTreeLister::AddLine(LPCTSTR pszLine)
{
    switch (m_nMode) {
    case 0:
    case 1:
    case 2:
        if (m_pLines != nullptr)
            m_pLines->Add(pszLine);
        break;
    case kUsbModeList:
        if (m_pListBox != nullptr && m_pListBox->m_hWnd != nullptr)
            ::SendMessageA(m_pListBox->m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszLine));
        break;
    default:
        break;
    }
}

namespace {

// One formatted line through the lister's output rule.
void ListerLine(CUsbTreeLister& lister, LPCSTR format, ...) TAVISK_PRINTF_FORMAT(2, 3);
void ListerLine(CUsbTreeLister& lister, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    CString line;
    line.FormatV(format, args);
    va_end(args);
    lister.AddLine(line);
}

} // namespace

// Controllers are tried at HCD0 to HCD9; one that does not open is skipped without a line, and once a controller
// could not be walked no further controller is opened.
void CUsbTreeLister::ListUsbTree()
{
    AddLine("USB Device Information:");
    AddLine("-----------------------");
    AddLine("");
    for (int n = 0; n <= 9; ++n) {
        char name[16];
        snprintf(name, sizeof name, "\\\\.\\HCD%d", n);
        CDeviceHandle controller(OpenUsbDevice(name));
        if (!controller.IsCreated())
            continue;
        ListerLine(*this, "# Host Controller %s found.", name);
        const DWORD error = EnumerateHostController(controller.get());
        AddLine(" ");
        controller.Close();
        if (error != 0)
            break;
    }
    AddLine("");

    if (!IsNt5Text(GetWindowsVersionText()))
        return;
    AddLine("Extended Information:");
    AddLine("---------------------");
    if (g_pDriveManager == nullptr)
        return;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    ForEachDeviceRecord(adapters, [&](int nAdapter, CDeviceRecord& record) {
        const int busType = adapters[nAdapter].m_nBusType;
        if (busType != 4 && busType != 5)
            return;
        const int letter = record.m_nDriveLetter;
        const char drive = (letter >= 0 && letter < 26) ? char('A' + letter) : '?';
        const CString model = g_pDriveManager->GetModelName(record);
        ListerLine(*this, "* (%c:) %s", drive, static_cast<LPCSTR>(model));
        ListerLine(*this, "   %.8s %.16s %.4s", record.m_szVendor, record.m_szProduct, record.m_szRevision);
        AddLine("");
        ListerLine(*this, "   %.299s", record.m_szMountedDevice);
        AddLine("");
    });
}

DWORD CUsbTreeLister::EnumerateHostController(HANDLE hController)
{
    BYTE buffer[kNameBufferSize] = {};
    DWORD returned = 0;
    if (!DeviceIoControlCall(hController, IOCTL_GET_HCD_DRIVERKEY_NAME, buffer, sizeof buffer, buffer, sizeof buffer,
                             &returned, nullptr))
        return LastErrorOr(ERROR_GEN_FAILURE);

    // "<class key>\<instance>": the instance counts with its first four characters.
    const CString driverKey = NameFromAnswer(buffer, sizeof buffer, kNameOffset, returned);
    const int backslash = driverKey.Find('\\');
    const CString classKey = backslash >= 0 ? driverKey.Left(backslash) : driverKey;
    const CString instance = backslash >= 0 ? driverKey.Mid(backslash + 1, 4) : CString();
    char description[kUsbDescriptionSize];
    GetDriverDescription(classKey, instance, description, m_hMachineRoot);
    ListerLine(*this, "    %s", description);

    memset(buffer, 0, sizeof buffer);
    returned = 0;
    DeviceIoControlCall(hController, IOCTL_USB_GET_ROOT_HUB_NAME, buffer, sizeof buffer, buffer, sizeof buffer,
                        &returned, nullptr);
    const CString hubName = NameFromAnswer(buffer, sizeof buffer, kNameOffset, returned);
    const int hash = hubName.Find('#');
    const CString prefix = hash >= 0 ? hubName.Left(hash) : hubName;
    const CString rest = hash >= 0 ? hubName.Mid(hash + 1) : CString();
    GetDeviceDescFromDeviceClasses(prefix, rest, description, m_hMachineRoot);
    if (description[0] != '\0')
        ListerLine(*this, "  |---> Hub name is : %s", description);

    CDeviceHandle hub(OpenUsbDevice(CString("\\\\.\\") + hubName));
    if (!hub.IsCreated())
        return LastErrorOr(ERROR_FILE_NOT_FOUND);
    int ports = 0;
    if (!HubPortCount(hub.get(), ports))
        return LastErrorOr(ERROR_GEN_FAILURE);
    m_nNodesLeft = kUsbMaxControllerNodes;
    EnumerateHubPorts(hub.get(), ports, 0);
    return 0;
}

// One more port line below the current controller. Once the controller's budget is spent, one line says so and
// the walk of that controller ends.
bool CUsbTreeLister::TakeNode()
{
    if (m_nNodesLeft > 0) {
        --m_nNodesLeft;
        return true;
    }
    if (m_nNodesLeft == 0) {
        ListerLine(*this, "  |  |---> Listing stopped: more than %d devices on this controller",
                   kUsbMaxControllerNodes);
        m_nNodesLeft = -1;
    }
    return false;
}

// Every port line has the same indentation whatever the depth; the hub line keeps its own form and its line feed.
void CUsbTreeLister::EnumerateHubPorts(HANDLE hHub, int nPorts, int nDepth)
{
    for (int port = 1; port <= nPorts && m_nNodesLeft >= 0; ++port) {
        BYTE info[kConnectionInfoSize];
        BOOL answered = FALSE;
        DWORD error = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            memset(info, 0, sizeof info);
            PutLe32(info, DWORD(port));
            DWORD returned = 0;
            answered = DeviceIoControlCall(hHub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, info, sizeof info, info,
                                           sizeof info, &returned, nullptr);
            if (!answered)
                error = LastErrorOr(ERROR_GEN_FAILURE);
            if (answered && info[kConnectionStatusOffset] == 1)
                break;
        }
        const unsigned status = answered ? info[kConnectionStatusOffset] : 0;
        if (answered && status == 0)
            continue;
        if (!TakeNode())
            return;
        if (!answered) {
            ListerLine(*this, "      Error getting node_connection_information! (%u)", unsigned(error));
            continue;
        }
        if (status != 1) {
            ListerLine(*this, "  |  |---> Port[%d] = %s(%d)", port, ConnectionStatusName(status), int(status));
            continue;
        }
        if (info[kDeviceIsHubOffset] == 0) {
            ListerLine(*this, "  |  |---> Port[%d] = I/O device connected", port);
            char product[kUsbProductSize];
            GetDeviceInfo(hHub, ULONG(port), info + kDeviceDescriptorOffset, product);
            if (product[0] != '\0')
                ListerLine(*this, "  |  |          %s", product);
            if (m_szDeviceText[0] != '\0')
                ListerLine(*this, "  |  |          %s", m_szDeviceText);
            continue;
        }

        ListerLine(*this, "|   |---> Port[%d] = Hub connected\n", port);
        BYTE name[kConnectionNameSize] = {};
        PutLe32(name, DWORD(port));
        DWORD returned = 0;
        if (!DeviceIoControlCall(hHub, IOCTL_USB_GET_NODE_CONNECTION_NAME, name, sizeof name, name, sizeof name,
                                 &returned, nullptr) ||
            nDepth + 1 >= kMaxHubDepth)
            continue;
        const CString childName = NameFromAnswer(name, sizeof name, kConnectionNameOffset, returned);
        CDeviceHandle child(OpenUsbDevice(CString("\\\\.\\") + childName));
        int childPorts = 0;
        if (child.IsCreated() && HubPortCount(child.get(), childPorts))
            EnumerateHubPorts(child.get(), childPorts, nDepth + 1);
    }
}

// The device's product string and serial number (the serial in the language the product string was read in);
// the registry description is looked up by vendor and product ID and the serial number as instance.
void CUsbTreeLister::GetDeviceInfo(HANDLE hHub, ULONG nPort, const BYTE* pDeviceDescriptor, char* pszProduct)
{
    const WORD vendor = GetLe16(pDeviceDescriptor + 8);
    const WORD product = GetLe16(pDeviceDescriptor + 10);
    const BYTE productIndex = pDeviceDescriptor[15];
    const BYTE serialIndex = pDeviceDescriptor[16];

    pszProduct[0] = '\0';
    WORD language = 0;
    if (productIndex != 0)
        language = LOWORD(GetUsbStringDescriptor(hHub, nPort, 0, productIndex, pszProduct, kUsbProductSize));
    char serial[kUsbProductSize] = "";
    if (serialIndex != 0)
        GetUsbStringDescriptor(hHub, nPort, language, serialIndex, serial, sizeof serial);

    char key[32];
    snprintf(key, sizeof key, "Vid_%4.4x&Pid_%4.4x", unsigned(vendor), unsigned(product));
    char description[kUsbDescriptionSize];
    GetUsbDeviceDescFromEnum(key, serial, description, m_hMachineRoot);
    snprintf(m_szDeviceText, sizeof m_szDeviceText, "%s", description);
}

// ---------------------------------------------------------------------------------------------------------------

namespace {

// GET_DESCRIPTOR for a string descriptor of the device at the port: request type 0x80, request 6, value
// 0x0300 | index, the language as index. Returns the data bytes the answer holds (0 on failure).
DWORD RequestStringDescriptor(HANDLE hHub, ULONG nPort, BYTE nIndex, WORD wLanguage, WORD wLength, BYTE* request)
{
    memset(request, 0, kDescriptorRequestSize);
    PutLe32(request, nPort);
    request[4] = 0x80;
    request[5] = 6;
    PutLe16(request + 6, WORD(0x0300 | nIndex));
    PutLe16(request + 8, wLanguage);
    PutLe16(request + 10, wLength);
    DWORD returned = 0;
    if (!DeviceIoControlCall(hHub, IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION, request, kDescriptorRequestSize,
                             request, kDescriptorRequestSize, &returned, nullptr))
        return 0;
    if (returned <= kDescriptorDataOffset)
        return 0;
    const DWORD data = returned - kDescriptorDataOffset;
    return data < kDescriptorRequestSize - kDescriptorDataOffset ? data
                                                                 : kDescriptorRequestSize - kDescriptorDataOffset;
}

} // namespace

// The text is read only as far as both the answer and the descriptor's own length go: an odd length leaves out
// the last byte, and a text without a terminator ends with its descriptor.
DWORD GetUsbStringDescriptor(HANDLE hHub, ULONG nPort, WORD wLanguage, BYTE nIndex, char* pszOut, int nOutSize)
{
    std::vector<BYTE> request(kDescriptorRequestSize);
    if (wLanguage == 0) {
        const DWORD data = RequestStringDescriptor(hHub, nPort, 0, 0, 4, request.data());
        if (data >= 4)
            wLanguage = GetLe16(request.data() + kDescriptorDataOffset + 2);
    }
    pszOut[0] = '\0';
    const DWORD data = RequestStringDescriptor(hHub, nPort, nIndex, wLanguage, 255, request.data());
    if (data >= 2) {
        const BYTE* descriptor = request.data() + kDescriptorDataOffset;
        const DWORD length = descriptor[0] < data ? descriptor[0] : data;
        if (length > 2) {
            const CString text = AnsiFromUtf16(descriptor + 2, length - 2, nOutSize - 1);
            snprintf(pszOut, size_t(nOutSize), "%s", static_cast<LPCSTR>(text));
        }
    }
    return wLanguage;
}

char* GetUsbDeviceDescFromEnum(LPCSTR pszKey, LPCSTR pszInstance, char* pszOut, HKEY hMachineRoot)
{
    pszOut[0] = '\0';
    CRegKeyOwner key;
    if (OpenPath(hMachineRoot, {"SYSTEM", "CurrentControlSet", "Enum", "USB", pszKey, pszInstance}, key))
        ReadDescription(key.get(), "DeviceDesc", pszOut);
    return pszOut;
}

char* GetDriverDescription(LPCSTR pszClassKey, LPCSTR pszInstance, char* pszOut, HKEY hMachineRoot)
{
    pszOut[0] = '\0';
    const bool nt5 = IsNt5Text(GetWindowsVersionText());
    CRegKeyOwner key;
    if (OpenPath(hMachineRoot,
                 {"SYSTEM", "CurrentControlSet", nt5 ? "Control" : "Services", "Class", pszClassKey, pszInstance}, key))
        ReadDescription(key.get(), "DriverDesc", pszOut);
    return pszOut;
}

// Only the first subkey whose name holds the prefix is tried. Its "DeviceInstance" names the Enum key of the hub
// in at most five parts below HKLM\Enum; a longer one, or a part of 100 characters or more, is not followed.
char* GetDeviceDescFromDeviceClasses(LPCSTR pszPrefix, LPCSTR pszRest, char* pszOut, HKEY hMachineRoot)
{
    pszOut[0] = '\0';
    if (IsNt5Text(GetWindowsVersionText()))
        return pszOut;
    CRegKeyOwner classes;
    if (!OpenPath(hMachineRoot, {"SYSTEM", "CurrentControlSet", "Control", "DeviceClasses", pszRest}, classes))
        return pszOut;
    CStringArray names;
    CRegistryKey::GetSubKeyNames(classes.get(), names, 200);
    CString match;
    for (INT_PTR i = 0; i < names.GetSize() && match.IsEmpty(); ++i) {
        if (names[i].Find(pszPrefix) >= 0)
            match = names[i];
    }
    if (match.IsEmpty())
        return pszOut;
    CRegKeyOwner entry;
    char instance[kUsbDescriptionSize * 6];
    if (!OpenPath(classes.get(), {match}, entry))
        return pszOut;
    {
        DWORD size = 0;
        if (RegQueryValueExA(entry.get(), "DeviceInstance", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
            size >= sizeof instance)
            return pszOut;
        memset(instance, 0, sizeof instance);
        DWORD read = size;
        if (RegQueryValueExA(entry.get(), "DeviceInstance", nullptr, nullptr, reinterpret_cast<BYTE*>(instance),
                             &read) != ERROR_SUCCESS)
            return pszOut;
    }
    std::vector<CString> parts;
    const CString path = instance;
    int start = 0;
    for (;;) {
        const int slash = path.Find('\\', start);
        parts.push_back(slash >= 0 ? path.Mid(start, slash - start) : path.Mid(start));
        if (slash < 0)
            break;
        start = slash + 1;
    }
    if (parts.size() > 5)
        return pszOut;
    for (const CString& part : parts)
        if (part.GetLength() >= kUsbDescriptionSize)
            return pszOut;
    CRegKeyOwner key;
    if (!OpenPath(hMachineRoot, {"Enum"}, key))
        return pszOut;
    for (const CString& part : parts)
        if (!OpenChild(key, part))
            return pszOut;
    ReadDescription(key.get(), "DeviceDesc", pszOut);
    return pszOut;
}
