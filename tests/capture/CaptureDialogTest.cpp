// tests/capture/CaptureDialogTest.cpp — the main dialog's start with the emulated capture device: the capture
// side lives while the dialog runs, the report's list shows the device under its heading, and at the end the
// manager is gone and its log closed with its last line.
#include <windows.h>

#include "CaptureTestSupport.h"
#include "EmuDescription.h"
#include "app/MainDlg.h"
#include "capture/CaptureDeviceList.h"
#include "capture/GenericCaptureDevice.h"
#include "capture/GraphManager.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace capture_test;

namespace {

TEST(CaptureStartDialog, DeviceListedAndManagerReleasedAtExit)
{
    ASSERT_TRUE(ImportEmulatedCaptureDevice());
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription("drive plain-dvd-rom letter F port 1:0:0:0\n", EmuGetMachine(), description, error))
        << error;
    EmuInstallDeviceIo();
    CWorkingFolder folder;

    std::vector<std::string> capture;
    std::vector<CString> list;
    int devicesWhileRunning = -1;
    int objectsWhileRunning = -1;
    bool generic = false;
    {
        guitest::HookSession session;
        g_pDriveManager = nullptr;
        CMainDlg dlg;
        guitest::RunModal(session, dlg, [&](CDialog& d) {
            devicesWhileRunning = g_pGraphManager != nullptr ? g_pGraphManager->GetDeviceCount() : -1;
            if (g_pCaptureDeviceList != nullptr) {
                objectsWhileRunning = g_pCaptureDeviceList->GetDeviceCount() + g_pCaptureDeviceList->GetDVDeviceCount();
                generic = g_pCaptureDeviceList->GetDeviceCount() == 1 &&
                          dynamic_cast<CGenericCaptureDevice*>(g_pCaptureDeviceList->GetDevice(0)) != nullptr;
            }
            list = guitest::ListBoxLines(d.m_hWnd, IDC_REPORT_LIST);
            d.PostMessage(WM_COMMAND, IDCANCEL, 0);
        });
        for (INT_PTR i = 0; i < dlg.m_arrCapture.GetSize(); ++i)
            capture.push_back(static_cast<LPCTSTR>(dlg.m_arrCapture[i]));
    }
    g_pDriveManager = nullptr;
    EmuRemoveDeviceIo();

    EXPECT_EQ(1, devicesWhileRunning);
    // The emulated camera becomes one generic device object, and the list goes at exit.
    EXPECT_EQ(1, objectsWhileRunning);
    EXPECT_TRUE(generic);
    EXPECT_EQ(nullptr, g_pGraphManager);
    EXPECT_EQ(nullptr, g_pCaptureDeviceList);
    ASSERT_EQ(19u, capture.size());
    EXPECT_EQ("USB CAMERA", capture[0]);
    EXPECT_EQ(" Compression Mode : Motion JPEG", capture[16]);

    // The list shows the heading and, below it, the device's lines.
    const auto heading = std::find_if(list.begin(), list.end(),
                                      [](const CString& line) { return line.Find("Video Capture Devices:") >= 0; });
    ASSERT_NE(list.end(), heading);
    const auto device =
        std::find_if(heading, list.end(), [](const CString& line) { return line.Find("USB CAMERA") >= 0; });
    EXPECT_NE(list.end(), device);

    const std::vector<std::string> log = folder.ReadLines("QRVDxlog.txt");
    ASSERT_GE(log.size(), 6u);
    std::string number, message;
    ASSERT_TRUE(SplitLogLine(log[1], number, message));
    EXPECT_EQ(" Program started", message);
    // The stand-in filter has neither a video pin nor an audio pin: the capability enumeration says so.
    std::vector<std::string> messages;
    for (const std::string& line : log)
        if (SplitLogLine(line, number, message))
            messages.push_back(message);
    EXPECT_NE(messages.end(), std::find(messages.begin(), messages.end(),
                                        " Failed: pin not found {73646976-0000-0010-8000-00AA00389B71}"));
    EXPECT_NE(messages.end(), std::find(messages.begin(), messages.end(), " Failed: pin not found Audio Capture"));
    ASSERT_TRUE(SplitLogLine(log.back(), number, message));
    EXPECT_EQ(" graph object destroyed", message);
}

} // namespace
