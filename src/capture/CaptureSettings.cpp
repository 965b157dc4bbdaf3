// src/capture/CaptureSettings.cpp
// The per-device settings of a capture device below the program's registry key ("<friendly name>\<device path>")
// and the device's TV channel-list file in the install folder.
#include "capture/CaptureDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/MediaType.h"
#include "drive/DriveManager.h"
#include "drive/SpeedCache.h"
#include "framework/Registry.h"

#include <algorithm>
#include <cstring>

namespace {

const DWORD kMpeg4BitRate = 4500000;

// The device path as a key name: without the "\\?\" prefix.
CString DevicePathKeyName(const CString& devicePath)
{
    if (!devicePath.IsEmpty() && devicePath[0] == '\\')
        return devicePath.Mid(4);
    return devicePath;
}

// A stored value of any type, its bytes zero-extended to the field: data shorter than the field cannot be read
// past. A missing or empty value leaves the field as it is.
bool ReadField(const CRegistryKey& key, LPCTSTR name, void* pField, size_t fieldSize)
{
    DWORD type = 0;
    CByteArray data;
    if (key.QueryRaw(name, type, data) != ERROR_SUCCESS || data.IsEmpty())
        return false;
    std::memset(pField, 0, fieldSize);
    const size_t size = std::min(fieldSize, size_t(data.GetSize()));
    std::memcpy(pField, data.GetData(), size);
    return true;
}

template <class T>
bool ReadValue(const CRegistryKey& key, LPCTSTR name, T& value)
{
    static_assert(sizeof(T) == 4 || sizeof(T) == 16, "a DWORD or a GUID");
    T field;
    if (!ReadField(key, name, &field, sizeof field))
        return false;
    value = field;
    return true;
}

CString GeneralKeyName()
{
    return CString(kProgramRegistryKey) + "\\General";
}

} // namespace

// Each open key closes when its owner goes; a missing device key means the device has no settings yet.
void CCaptureDevice::LoadSettings()
{
    bool missing = false;
    CRegistryKey program;
    if (m_pVideoCapture != nullptr && program.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey) == ERROR_SUCCESS) {
        CRegistryKey name;
        CRegistryKey path;
        if (name.Open(program.get(), m_pVideoCapture->GetFriendlyName()) != ERROR_SUCCESS ||
            path.Open(name.get(), DevicePathKeyName(m_pVideoCapture->GetDevicePath())) != ERROR_SUCCESS) {
            missing = true;
        } else {
            ReadValue(path, "VideoSource", m_nVideoSource);
            if (m_nVideoSource != kVideoSourceTuner && m_nVideoSource != kVideoSourceComposite &&
                m_nVideoSource != kVideoSourceSVideo)
                m_nVideoSource = kVideoSourceComposite;
            ReadValue(path, "Country", m_nCountry);
            ReadValue(path, "Input", m_nTunerInputType);
            ReadValue(path, "AnalogVideoStandard", m_nTVFormat);
            DWORD parameter = 0;
            if (ReadValue(path, "Parameter", parameter))
                m_videoFormat.m_bFrameRate = BYTE(parameter & 1);
            m_videoFormat.m_arrFrameSizes.RemoveAll();
            CFrameSize size;
            ReadValue(path, "width", size.m_nWidth);
            ReadValue(path, "height", size.m_nHeight);
            DWORD frameRate = 0;
            if (m_videoFormat.m_bFrameRate && ReadValue(path, "FrameRate", frameRate))
                size.m_arrFrameIntervals.Add(LONGLONG(frameRate));
            ReadValue(path, "BitRate", size.m_nMaxBitRate);
            m_videoFormat.m_arrFrameSizes.Add(size);
            ReadValue(path, "Compression", m_videoFormat.m_nCompression);
            ReadValue(path, "FormatType", m_videoFormat.m_formatType);
            ReadValue(path, "SubType", m_videoFormat.m_subType);
            ReadValue(path, "AudioCompression", m_nAudioCompression);
        }
    }
    if (m_nAudioCompression == -1)
        m_nAudioCompression = 2;
    if (m_pVideoCapture == nullptr || m_pVideoCapture->IsSettingsApplied())
        return;
    if (missing) {
        ReadCurrentVideoFormat();
        const DWORD compression = m_videoFormat.m_nCompression;
        if ((compression == MakeFourCC('D', 'X', '5', '0') || compression == MakeFourCC('M', 'P', '4', 'S')) &&
            !m_videoFormat.m_arrFrameSizes.IsEmpty())
            m_videoFormat.m_arrFrameSizes[0].m_nMaxBitRate = kMpeg4BitRate;
    }
    SetVideoStandard(LONG(m_nTVFormat));
    SetVideoConfig(m_videoFormat);
    m_pVideoCapture->SetSettingsApplied(1);
}

// The program's key must exist (the installation makes it); the device's keys are made as needed. Sizes and the
// frame rate that the current format does not have are left out.
void CCaptureDevice::SaveSettings()
{
    if (m_pVideoCapture == nullptr)
        return;
    CRegistryKey program;
    if (program.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
        return;
    CRegistryKey name;
    CRegistryKey path;
    if (name.Create(program.get(), m_pVideoCapture->GetFriendlyName()) != ERROR_SUCCESS ||
        path.Create(name.get(), DevicePathKeyName(m_pVideoCapture->GetDevicePath())) != ERROR_SUCCESS)
        return;
    path.SetDword("VideoSource", DWORD(m_nVideoSource));
    if (m_pTuner != nullptr) {
        path.SetDword("Country", DWORD(m_nCountry));
        path.SetDword("Input", m_nTunerInputType);
        path.SetDword("SelectedChannel", DWORD(m_channelList.m_nSelectedChannel));
    }
    path.SetDword("AnalogVideoStandard", m_nTVFormat);
    path.SetBinary("FormatType", &m_videoFormat.m_formatType, sizeof(GUID));
    path.SetBinary("SubType", &m_videoFormat.m_subType, sizeof(GUID));
    path.SetDword("Compression", m_videoFormat.m_nCompression);
    const CFrameSize* pSize = m_videoFormat.m_arrFrameSizes.IsEmpty() ? nullptr : &m_videoFormat.m_arrFrameSizes[0];
    if (pSize != nullptr) {
        path.SetDword("width", DWORD(pSize->m_nWidth));
        path.SetDword("height", DWORD(pSize->m_nHeight));
    }
    path.SetDword("AudioCompression", DWORD(m_nAudioCompression));
    path.SetDword("Parameter", m_videoFormat.m_bFrameRate ? 1 : 0);
    if (m_videoFormat.m_bFrameRate) {
        if (pSize != nullptr && !pSize->m_arrFrameIntervals.IsEmpty())
            path.SetDword("FrameRate", DWORD(pSize->m_arrFrameIntervals[0]));
    } else if (pSize != nullptr) {
        path.SetDword("BitRate", pSize->m_nMaxBitRate);
    }
}

// A device without a list number of its own takes the next free one, and keeps it in its key so that the same
// file is found again.
BOOL CCaptureDevice::LoadChannelSettings()
{
    CRegistryKey program;
    if (program.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey) == ERROR_SUCCESS) {
        DWORD next = 0;
        {
            CRegistryKey general;
            if (general.Open(program.get(), "General") == ERROR_SUCCESS)
                ReadValue(general, "VideoDeviceIndex", next);
        }
        m_channelList.m_nListNumber = LONG(next);
        CRegistryKey name;
        CRegistryKey path;
        if (m_pVideoCapture != nullptr &&
            name.Open(program.get(), m_pVideoCapture->GetFriendlyName()) == ERROR_SUCCESS &&
            path.Open(name.get(), DevicePathKeyName(m_pVideoCapture->GetDevicePath()), KEY_READ | KEY_WRITE) ==
                ERROR_SUCCESS) {
            ReadValue(path, "SelectedChannel", m_channelList.m_nSelectedChannel);
            DWORD listNumber = 0;
            if (ReadValue(path, "ChannelList", listNumber)) {
                m_channelList.m_nListNumber = LONG(listNumber);
            } else {
                CRegistryKey general;
                if (general.Create(HKEY_LOCAL_MACHINE, GeneralKeyName()) == ERROR_SUCCESS)
                    general.SetDword("VideoDeviceIndex", next + 1);
                path.SetDword("ChannelList", next);
            }
        }
    }
    return m_channelList.LoadFile(GetChannelListPath());
}

void CCaptureDevice::SaveChannelList()
{
    m_channelList.SaveFile(GetChannelListPath());
}

// The install folder, else the folder the program started in.
CString CCaptureDevice::GetChannelListPath() const
{
    char folder[MAX_PATH] = {};
    if (g_pDriveManager != nullptr) {
        g_pDriveManager->GetInstallPaths(folder);
        if (folder[0] == '\0')
            std::memcpy(folder, g_pDriveManager->m_szStartDir, sizeof folder);
    } else {
        ::GetCurrentDirectoryA(MAX_PATH, folder);
    }
    folder[MAX_PATH - 1] = '\0';
    CString path;
    path.Format("%s\\Channels%d.kvc", folder, int(m_channelList.m_nListNumber));
    return path;
}
