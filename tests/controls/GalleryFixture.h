// tests/controls/GalleryFixture.h
// A test fixture that opens the control gallery in the host window at the top left of the screen and closes it
// afterwards, with helpers that photograph one control. The host is created once per test program: hiding a
// top-level window costs seconds under Wine without a window manager.
#ifndef TAVISK_TESTS_CONTROLS_GALLERYFIXTURE_H
#define TAVISK_TESTS_CONTROLS_GALLERYFIXTURE_H

#include "GalleryDlg.h"
#include "Pixels.h"
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class GalleryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_gallery.reset(new CGalleryDlg);
        ASSERT_TRUE(m_gallery->Open(Host()));
        guitest::Pump();
    }
    void TearDown() override
    {
        m_gallery.reset();
        guitest::Pump();
    }

    CGalleryDlg& Gallery() { return *m_gallery; }

    static HWND Host()
    {
        static HWND s_hHost =
            ::CreateWindowExA(0, "Static", "Control gallery", WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                              0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        return s_hHost;
    }

    // The control's rectangle in the gallery's client area.
    RECT ControlRect(const CWnd& control) const
    {
        RECT rc;
        ::GetWindowRect(control.m_hWnd, &rc);
        ::MapWindowPoints(nullptr, m_gallery->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    // The control as it is shown now; saved as <name>.png beside the test program when a name is given.
    pixels::Image Photograph(const CWnd& control, const std::string& name = std::string())
    {
        pixels::Image image = pixels::CaptureClient(control.m_hWnd);
        if (!name.empty())
            pixels::SavePng(image, name);
        return image;
    }
    void PhotographGallery(const std::string& name) { pixels::SavePng(pixels::CaptureClient(m_gallery->m_hWnd), name); }

    std::unique_ptr<CGalleryDlg> m_gallery;
};

#endif
