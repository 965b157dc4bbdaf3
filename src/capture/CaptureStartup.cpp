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

CGraphManager* CreateStartupGraphManager()
{
    CString directX(" DirectX Version: NA");
    CGraphManager* pManager = new (std::nothrow) CGraphManager;
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
        DestroyGraphManager(pManager);
        return nullptr;
    }
    return pManager;
}

void DestroyGraphManager(CGraphManager* pManager)
{
    if (pManager == nullptr)
        return;
    pManager->ReleaseGraph();
    delete pManager;
}

CCaptureDeviceList* CreateStartupDeviceList(CGraphManager* pManager)
{
    if (pManager == nullptr)
        return nullptr;
    CCaptureDeviceList* pList = new (std::nothrow) CCaptureDeviceList;
    if (pList == nullptr)
        return nullptr;
    pManager->SetDeviceSink(pList);
    pList->CreateAll();
    return pList;
}

void DestroyCaptureSide(CGraphManager* pManager, CCaptureDeviceList* pList)
{
    if (pList != nullptr)
        pList->DeleteAll();
    if (pManager != nullptr)
        pManager->SetDeviceSink(nullptr);
    DestroyGraphManager(pManager);
    delete pList;
}
