// src/capture/CaptureStartup.cpp
#include "capture/CaptureStartup.h"

#include "capture/CaptureDeviceList.h"
#include "capture/DirectXVersion.h"
#include "capture/GraphManager.h"

#include <new>

namespace {

const int kDirectXTextSize = 10;
const int kDirectXLineLength = 127;

} // namespace

std::unique_ptr<CGraphManager> CreateStartupGraphManager()
{
    CString directX(" DirectX Version: NA");
    std::unique_ptr<CGraphManager> pManager(new (std::nothrow) CGraphManager);
    if (pManager == nullptr)
        return nullptr;
    DWORD packed = 0;
    char szVersion[kDirectXTextSize] = {};
    if (SUCCEEDED(GetDirectXVersion(&packed, szVersion, kDirectXTextSize))) {
        directX.Format(" DirectX Version: %s", szVersion);
        if (directX.GetLength() > kDirectXLineLength)
            directX = directX.Left(kDirectXLineLength);
    }
    const CString rule('-', 59);
    pManager->Log(rule);
    pManager->Log(" Program started");
    pManager->Log(directX);
    pManager->Log(rule);
    if (FAILED(pManager->InitGraph()) || FAILED(pManager->EnumerateDevices(FALSE))) {
        DestroyGraphManager(std::move(pManager));
        return nullptr;
    }
    return pManager;
}

void DestroyGraphManager(std::unique_ptr<CGraphManager> pManager)
{
    if (pManager == nullptr)
        return;
    pManager->ReleaseGraph();
}

std::unique_ptr<CCaptureDeviceList> CreateStartupDeviceList(CGraphManager* pManager)
{
    if (pManager == nullptr)
        return nullptr;
    std::unique_ptr<CCaptureDeviceList> pList(new (std::nothrow) CCaptureDeviceList);
    if (pList == nullptr)
        return nullptr;
    pManager->SetDeviceSink(pList.get());
    pList->CreateAll();
    return pList;
}

CCaptureSide::CCaptureSide() = default;

CCaptureSide::~CCaptureSide()
{
    Destroy();
}

void CCaptureSide::Create()
{
    Destroy();
    m_pGraphManager = CreateStartupGraphManager();
    g_pGraphManager = m_pGraphManager.get();
    m_pDeviceList = CreateStartupDeviceList(m_pGraphManager.get());
    g_pCaptureDeviceList = m_pDeviceList.get();
}

void CCaptureSide::Destroy()
{
    if (m_pDeviceList != nullptr)
        m_pDeviceList->DeleteAll();
    if (m_pGraphManager != nullptr)
        m_pGraphManager->SetDeviceSink(nullptr);
    DestroyGraphManager(std::move(m_pGraphManager));
    g_pGraphManager = nullptr;
    m_pDeviceList.reset();
    g_pCaptureDeviceList = nullptr;
}
