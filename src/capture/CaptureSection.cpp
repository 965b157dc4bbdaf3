// src/capture/CaptureSection.cpp
#include "capture/CaptureSection.h"

#include "capture/GraphManager.h"
#include "framework/Registry.h"

namespace {

const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class";

// A value as text up to its first NUL (or its end), whatever its registry type; empty when it cannot be read.
CString ReadText(const CRegistryKey& key, LPCTSTR name)
{
    DWORD type = 0;
    CByteArray data;
    if (!key.IsOpen() || key.QueryRaw(name, type, data) != ERROR_SUCCESS)
        return CString();
    CString text;
    for (INT_PTR i = 0; i < data.GetSize() && data[i] != 0; ++i)
        text += char(data[i]);
    return text;
}

// Image paths of services come in three forms: relative to the Windows directory ("system32\DRIVERS\x.sys"),
// below "\SystemRoot\" (the Windows directory again) and as an NT path "\??\C:\...".
CString ResolveImagePath(const CString& windowsDir, const CString& imagePath)
{
    CString directory(windowsDir);
    CString relative(imagePath);
    const CString systemRoot("\\SystemRoot\\");
    const CString ntPrefix("\\??\\");
    if (relative.GetLength() >= ntPrefix.GetLength() &&
        relative.Left(ntPrefix.GetLength()).CompareNoCase(ntPrefix) == 0)
        return relative.Mid(ntPrefix.GetLength());
    if (relative.GetLength() >= systemRoot.GetLength() &&
        relative.Left(systemRoot.GetLength()).CompareNoCase(systemRoot) == 0)
        relative = relative.Mid(systemRoot.GetLength());
    if (directory.IsEmpty() || directory[directory.GetLength() - 1] != '\\')
        directory += '\\';
    return directory + relative;
}

} // namespace

CCaptureDriverInfo::CCaptureDriverInfo(CString devicePath, HKEY hMachineRoot)
    : m_strDevicePath(devicePath), m_hMachineRoot(hMachineRoot)
{
}

void CCaptureDriverInfo::GetCaptureDriverInfo()
{
    m_strClassName.Empty();
    m_strPortDriver.Empty();
    m_strProvider.Empty();
    m_strDescription.Empty();
    m_strLocation.Empty();
    m_strVersion.Empty();
    m_strDate.Empty();
    CStringArray tokens;
    int start = 0;
    while (start >= 0 && start <= m_strDevicePath.GetLength()) {
        const int hash = m_strDevicePath.Find('#', start);
        const CString token = hash < 0 ? m_strDevicePath.Mid(start) : m_strDevicePath.Mid(start, hash - start);
        if (!token.IsEmpty())
            tokens.Add(token);
        start = hash < 0 ? -1 : hash + 1;
    }
    if (tokens.GetSize() > 0 && tokens[0].Find("\\\\?\\") >= 0)
        tokens[0] = tokens[0].Mid(4);
    ReadDeviceEnumInfo(tokens);
}

void CCaptureDriverInfo::ReadDeviceEnumInfo(const CStringArray& tokens)
{
    CString path(kEnumKey);
    for (INT_PTR i = 0; i < tokens.GetSize(); ++i)
        if (!tokens[i].IsEmpty() && tokens[i][0] != '{')
            path += "\\" + tokens[i];
    CString service;
    CString driver;
    CRegistryKey key;
    if (key.Open(m_hMachineRoot, path, KEY_READ) == ERROR_SUCCESS) {
        service = ReadText(key, "Service");
        driver = ReadText(key, "Driver");
    }
    ReadServiceImagePath(service);
    ReadDriverClassInfo(driver);
}

void CCaptureDriverInfo::ReadServiceImagePath(const CString& service)
{
    char szWindows[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        szWindows[0] = '\0';
    CRegistryKey key;
    if (key.Open(m_hMachineRoot, CString(kServicesKey) + service, KEY_READ) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    CByteArray data;
    if (key.QueryRaw("ImagePath", type, data) != ERROR_SUCCESS)
        return;
    m_strLocation = ResolveImagePath(szWindows, ReadText(key, "ImagePath"));
}

void CCaptureDriverInfo::ReadDriverClassInfo(const CString& driverKey)
{
    CString classGuid;
    CString instance;
    const int slash = driverKey.Find('\\');
    if (!driverKey.IsEmpty() && slash >= 0) {
        classGuid = driverKey.Left(slash);
        instance = driverKey.Mid(slash + 1);
    }
    CString classPath(kClassKey);
    if (!classGuid.IsEmpty())
        classPath += "\\" + classGuid;
    CRegistryKey classKey;
    if (classKey.Open(m_hMachineRoot, classPath, KEY_READ) != ERROR_SUCCESS)
        return;
    m_strClassName = ReadText(classKey, "");
    CRegistryKey instanceKey;
    if (instance.IsEmpty()) {
        if (instanceKey.Open(classKey.get(), nullptr, KEY_READ) != ERROR_SUCCESS)
            return;
    } else if (instanceKey.Open(classKey.get(), instance, KEY_READ) != ERROR_SUCCESS) {
        return;
    }
    m_strDate = ReadText(instanceKey, "DriverDate");
    m_strDescription = ReadText(instanceKey, "DriverDesc");
    m_strVersion = ReadText(instanceKey, "DriverVersion");
    m_strPortDriver = ReadText(instanceKey, "NTMPDriver");
    m_strProvider = ReadText(instanceKey, "ProviderName");
}

void BuildCaptureSection(CStringArray& lines, const CGraphManager* pManager, HKEY hMachineRoot)
{
    lines.RemoveAll();
    if (pManager == nullptr || pManager->GetDeviceCount() == 0)
        return;
    for (int i = 0; i < pManager->GetDeviceCount(); ++i) {
        const CCaptureFilterInfo* pDevice = pManager->GetDevice(TRUE, i);
        if (pDevice != nullptr)
            AppendCaptureDeviceLines(lines, pDevice->GetFriendlyName(), pDevice->GetDevicePath(), hMachineRoot);
    }
}

// The driver data come from the full path; the printed path and the sibling product's key drop the "\\?\"
// prefix.
void AppendCaptureDeviceLines(CStringArray& lines, const CString& friendlyName, const CString& devicePath,
                              HKEY hMachineRoot)
{
    CString upper(friendlyName);
    upper.MakeUpper();
    lines.Add(upper);
    CString path(devicePath);
    if (!path.IsEmpty() && path[0] == '\\')
        path = path.Mid(4);
    CString line;
    line.Format(" Device Path : %s", static_cast<LPCTSTR>(path));
    lines.Add(line);
    CCaptureDriverInfo driver(devicePath, hMachineRoot);
    driver.GetCaptureDriverInfo();
    lines.Add(" Port Driver: " + driver.m_strPortDriver);
    lines.Add(" Provider: " + driver.m_strProvider);
    lines.Add(" Description: " + driver.m_strDescription);
    lines.Add(" Location: " + driver.m_strLocation);
    lines.Add(" Version: " + driver.m_strVersion);
    lines.Add(" Date: " + driver.m_strDate);
    DumpVelloranCaptureSettings(friendlyName, path, lines, hMachineRoot);
    lines.Add("");
}
