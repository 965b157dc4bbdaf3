// src/report/UsbTreeLister.h
// The report's USB section: every USB host controller with its driver and its root hub, port by port and hub by
// hub what is connected, with the product names the devices report and the descriptions the registry holds; on
// Windows 2000 and XP also the drives found on USB and IEEE 1394 adapters. The requests go through the device-I/O
// seam of the drive access.
#ifndef TAVISK_REPORT_USBTREELISTER_H
#define TAVISK_REPORT_USBTREELISTER_H

#include "framework/Framework.h"

#include <windows.h>

// Output modes of the lister: 0, 1 and 2 append to the string array, 4 adds to the list box.
const int kUsbModeLines = 2;
const int kUsbModeList = 4;

// Size of every registry description the lister reads (99 characters and the terminator).
const int kUsbDescriptionSize = 100;
// Size of the product text handed to CUsbTreeLister::GetDeviceInfo.
const int kUsbProductSize = 256;
// Port lines listed below one host controller, whatever they hold: a controller addresses at most 127 devices,
// hubs included. The depth cap alone does not bound a hub that names itself at every one of its ports.
const int kUsbMaxControllerNodes = 127;

class CUsbTreeLister {
public:
    CUsbTreeLister();
    ~CUsbTreeLister();

    // The whole section through the output rule.
    void ListUsbTree();
    // Modes 0, 1 and 2 append the line to m_pLines; mode 4 adds it to the list box; other modes drop it.
    void AddLine(LPCTSTR pszLine);
    // The lines of one controller: 0 on success, otherwise the Windows error number of the failing step.
    DWORD EnumerateHostController(HANDLE hController);
    // The lines of every port of a hub and of the hubs below it; the depth is passed on to child hubs. The ports
    // listed below one controller are bounded in number as well as in depth.
    void EnumerateHubPorts(HANDLE hHub, int nPorts, int nDepth);
    // Counts one port line against the controller's budget; false once it is spent (the first time with a line
    // that says so).
    bool TakeNode();
    // The product text of the device at a hub port (kUsbProductSize characters) and its registry description in
    // m_szDeviceText. pDeviceDescriptor points at the 18 bytes of the device descriptor.
    void GetDeviceInfo(HANDLE hHub, ULONG nPort, const BYTE* pDeviceDescriptor, char* pszProduct);

    CStringArray* m_pLines = nullptr;
    CWnd* m_pListBox = nullptr;
    int m_nMode;
    char m_szDeviceText[200];
    // The root under which the registry descriptions are looked for; tests point it at a key of fixtures.
    HKEY m_hMachineRoot = HKEY_LOCAL_MACHINE;
    // Port lines still allowed below the controller being walked; -1 once the walk was stopped.
    int m_nNodesLeft = kUsbMaxControllerNodes;
};

// A string descriptor of the device at a hub port as ANSI text (at most nOutSize - 1 characters). Language 0 asks
// the device for its first language first. Returns the language used in its low 16 bits.
DWORD GetUsbStringDescriptor(HANDLE hHub, ULONG nPort, WORD wLanguage, BYTE nIndex, char* pszOut, int nOutSize);

// Registry descriptions (kUsbDescriptionSize characters, empty when nothing is found); each returns pszOut.
// "DeviceDesc" of HKLM\SYSTEM\CurrentControlSet\Enum\USB\<key>\<instance>.
char* GetUsbDeviceDescFromEnum(LPCSTR pszKey, LPCSTR pszInstance, char* pszOut, HKEY hMachineRoot = HKEY_LOCAL_MACHINE);
// "DriverDesc" of the driver's class key: Control\Class on Windows 2000 and XP, Services\Class elsewhere.
char* GetDriverDescription(LPCSTR pszClassKey, LPCSTR pszInstance, char* pszOut,
                           HKEY hMachineRoot = HKEY_LOCAL_MACHINE);
// The hub's description through Control\DeviceClasses and the Enum key it names; empty on Windows 2000 and XP.
char* GetDeviceDescFromDeviceClasses(LPCSTR pszPrefix, LPCSTR pszRest, char* pszOut,
                                     HKEY hMachineRoot = HKEY_LOCAL_MACHINE);

#endif
