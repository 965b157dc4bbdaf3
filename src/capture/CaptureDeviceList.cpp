// src/capture/CaptureDeviceList.cpp
#include "capture/CaptureDeviceList.h"

#include "capture/CaptureDevice.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/DVCaptureDevice.h"
#include "capture/GenericCaptureDevice.h"
#include "capture/VidmorphDevice.h"
#include "framework/Exceptions.h"

#include <algorithm>

CCaptureDeviceList* g_pCaptureDeviceList = nullptr;

namespace {

const CCaptureFilterInfo* DescriptorOf(const CCaptureDevice& device)
{
    return device.GetVideoCaptureInfo();
}

const CCaptureFilterInfo* DescriptorOf(const CDVCaptureDevice& device)
{
    return device.GetDescriptor();
}

template <class Device>
using DeviceVector = std::vector<std::unique_ptr<Device>>;

// The first object whose descriptor has this instance number; end() when none has.
template <class Device>
typename DeviceVector<Device>::const_iterator FindByInstance(const DeviceVector<Device>& devices, WORD id)
{
    return std::find_if(devices.begin(), devices.end(), [id](const std::unique_ptr<Device>& pDevice) {
        const CCaptureFilterInfo* pInfo = DescriptorOf(*pDevice);
        return pInfo != nullptr && pInfo->GetInstanceNumber() == id;
    });
}

template <class Device>
Device* FindByDescriptor(const DeviceVector<Device>& devices, const CCaptureFilterInfo* pInfo)
{
    if (pInfo == nullptr)
        return nullptr;
    const auto it = FindByInstance(devices, pInfo->GetInstanceNumber());
    return it != devices.end() ? it->get() : nullptr;
}

template <class Device>
void EraseByInstance(DeviceVector<Device>& devices, WORD id)
{
    const auto it = FindByInstance(devices, id);
    if (it != devices.end())
        devices.erase(it);
}

template <class Device>
Device* ElementAt(const DeviceVector<Device>& devices, int index)
{
    if (index < 0 || size_t(index) >= devices.size())
        AfxThrowInvalidArgException();
    return devices[size_t(index)].get();
}

} // namespace

CCaptureDeviceList::CCaptureDeviceList() = default;

CCaptureDeviceList::~CCaptureDeviceList()
{
    DeleteAll();
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

void CCaptureDeviceList::CreateDevice(int index)
{
    if (g_pGraphManager == nullptr || index < 0 || index >= g_pGraphManager->GetDeviceCount())
        return;
    CreateDeviceFor(g_pGraphManager->GetDevice(TRUE, index));
}

// The external-device test comes first, so a box that reported itself as a DV device would be one; the box names
// match exactly, letter case included.
void CCaptureDeviceList::CreateDeviceFor(CCaptureFilterInfo* pInfo)
{
    if (pInfo == nullptr)
        return;
    if (pInfo->IsExternalDevice() > 0) {
        m_dvDevices.push_back(std::make_unique<CDVCaptureDevice>(pInfo, g_pGraphManager));
        return;
    }
    std::unique_ptr<CCaptureDevice> pDevice;
    const CString name = pInfo->GetFriendlyName();
    if (name == kVidmorphTunerCaptureName)
        pDevice = std::make_unique<CVidmorphTunerDevice>(pInfo, g_pGraphManager);
    else if (name == kVidmorphCaptureName)
        pDevice = std::make_unique<CVidmorphCaptureDevice>(pInfo, g_pGraphManager);
    else
        pDevice = std::make_unique<CGenericCaptureDevice>(pInfo, g_pGraphManager);
    pDevice->EnumVideoCaps();
    pDevice->EnumAudioCaps();
    m_devices.push_back(std::move(pDevice));
}

void CCaptureDeviceList::RemoveDevice(WORD id)
{
    EraseByInstance(m_dvDevices, id);
    EraseByInstance(m_devices, id);
}

void CCaptureDeviceList::DeleteAll()
{
    m_devices.clear();
    m_dvDevices.clear();
}

CCaptureDevice* CCaptureDeviceList::FindDevice(const CCaptureFilterInfo* pInfo) const
{
    return FindByDescriptor(m_devices, pInfo);
}

CDVCaptureDevice* CCaptureDeviceList::FindDVDevice(const CCaptureFilterInfo* pInfo) const
{
    return FindByDescriptor(m_dvDevices, pInfo);
}

CCaptureDevice* CCaptureDeviceList::GetDevice(int index) const
{
    return ElementAt(m_devices, index);
}

CDVCaptureDevice* CCaptureDeviceList::GetDVDevice(int index) const
{
    return ElementAt(m_dvDevices, index);
}
