// src/capture/CaptureDeviceList.cpp
#include "capture/CaptureDeviceList.h"

#include "capture/CaptureDevice.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/DVCaptureDevice.h"
#include "capture/GenericCaptureDevice.h"
#include "capture/VidmorphDevice.h"

CCaptureDeviceList::CCaptureDeviceList() = default;

CCaptureDeviceList::~CCaptureDeviceList()
{
    m_devices.RemoveAll();
    m_dvDevices.RemoveAll();
}

int CCaptureDeviceList::CreateAll()
{
    if (g_pGraphManager == nullptr)
        return 0;
    const int count = g_pGraphManager->GetDeviceCount();
    for (int i = 0; i < count; ++i)
        CreateDevice(i);
    return 0;
}

// The external-device test comes first, so a box that reported itself as a DV device would be one; the box names
// match exactly, letter case included.
void CCaptureDeviceList::CreateDevice(int index)
{
    if (g_pGraphManager == nullptr || index < 0 || index >= g_pGraphManager->GetDeviceCount())
        return;
    CreateDeviceFor(g_pGraphManager->GetDevice(TRUE, index));
}

void CCaptureDeviceList::CreateDeviceFor(CCaptureFilterInfo* pInfo)
{
    if (pInfo == nullptr)
        return;
    if (pInfo->IsExternalDevice() > 0) {
        m_dvDevices.Add(new CDVCaptureDevice(pInfo, g_pGraphManager));
        return;
    }
    CCaptureDevice* pDevice;
    const CString name = pInfo->GetFriendlyName();
    if (name == kVidmorphTunerCaptureName)
        pDevice = new CVidmorphTunerDevice(pInfo, g_pGraphManager);
    else if (name == kVidmorphCaptureName)
        pDevice = new CVidmorphCaptureDevice(pInfo, g_pGraphManager);
    else
        pDevice = new CGenericCaptureDevice(pInfo, g_pGraphManager);
    pDevice->EnumVideoCaps();
    pDevice->EnumAudioCaps();
    m_devices.Add(pDevice);
}

void CCaptureDeviceList::RemoveDevice(WORD id)
{
    for (INT_PTR i = 0; i < m_dvDevices.GetSize(); ++i) {
        CDVCaptureDevice* pDevice = static_cast<CDVCaptureDevice*>(m_dvDevices[i]);
        if (pDevice->GetDescriptor() != nullptr && pDevice->GetDescriptor()->GetInstanceNumber() == id) {
            m_dvDevices.RemoveAt(i);
            delete pDevice;
            break;
        }
    }
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i) {
        CCaptureDevice* pDevice = static_cast<CCaptureDevice*>(m_devices[i]);
        if (pDevice->GetVideoCaptureInfo() != nullptr && pDevice->GetVideoCaptureInfo()->GetInstanceNumber() == id) {
            m_devices.RemoveAt(i);
            delete pDevice;
            break;
        }
    }
}

void CCaptureDeviceList::DeleteAll()
{
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i)
        delete static_cast<CCaptureDevice*>(m_devices[i]);
    m_devices.RemoveAll();
    for (INT_PTR i = 0; i < m_dvDevices.GetSize(); ++i)
        delete static_cast<CDVCaptureDevice*>(m_dvDevices[i]);
    m_dvDevices.RemoveAll();
}

CCaptureDevice* CCaptureDeviceList::FindDevice(const CCaptureFilterInfo* pInfo) const
{
    if (pInfo == nullptr)
        return nullptr;
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i) {
        CCaptureDevice* pDevice = static_cast<CCaptureDevice*>(m_devices[i]);
        if (pDevice->GetVideoCaptureInfo() != nullptr &&
            pDevice->GetVideoCaptureInfo()->GetInstanceNumber() == pInfo->GetInstanceNumber())
            return pDevice;
    }
    return nullptr;
}

CDVCaptureDevice* CCaptureDeviceList::FindDVDevice(const CCaptureFilterInfo* pInfo) const
{
    if (pInfo == nullptr)
        return nullptr;
    for (INT_PTR i = 0; i < m_dvDevices.GetSize(); ++i) {
        CDVCaptureDevice* pDevice = static_cast<CDVCaptureDevice*>(m_dvDevices[i]);
        if (pDevice->GetDescriptor() != nullptr &&
            pDevice->GetDescriptor()->GetInstanceNumber() == pInfo->GetInstanceNumber())
            return pDevice;
    }
    return nullptr;
}
