// src/drive/SetupApiSeam.cpp
#include "drive/SetupApiSeam.h"

namespace {

const SetupApiTable kSystemTable = {
    &SetupDiGetClassDevsA,
    &SetupDiEnumDeviceInfo,
    &SetupDiGetDeviceInstanceIdA,
    &SetupDiGetDeviceRegistryPropertyA,
    &SetupDiDestroyDeviceInfoList,
    &CM_Reenumerate_DevNode,
    &CM_Get_Child,
    &CM_Get_Sibling,
    &CM_Get_Device_IDA,
    &SetupDiEnumDeviceInterfaces,
    &SetupDiGetDeviceInterfaceDetailA,
};

// Read by every call, written only while no start-up runs (a test program's set-up).
const SetupApiTable* volatile g_pTable = &kSystemTable;

} // namespace

const SetupApiTable* SetSetupApiTable(const SetupApiTable* pTable)
{
    const SetupApiTable* pPrevious = g_pTable;
    g_pTable = pTable != nullptr ? pTable : &kSystemTable;
    return pPrevious;
}

const SetupApiTable& GetSetupApiTable()
{
    return *g_pTable;
}

// Lists the devices of the class that the flags select (DIGCF_PRESENT: the present ones).
CDeviceInfoList::CDeviceInfoList(const GUID& deviceClass, DWORD dwFlags, const char* pszEnumerator)
    : CHandleOwnerT(GetSetupApiTable().pfnGetClassDevsA(&deviceClass, pszEnumerator, nullptr, dwFlags))
{
}
