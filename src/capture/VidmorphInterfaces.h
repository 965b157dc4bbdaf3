// src/capture/VidmorphInterfaces.h
// The private interfaces of the Vidmorph boxes' drivers: the capture filter takes the encoder configuration
// through one, the box's audio encoder its mode through the other.
#ifndef TAVISK_CAPTURE_VIDMORPHINTERFACES_H
#define TAVISK_CAPTURE_VIDMORPHINTERFACES_H

#include <windows.h>
#include <objbase.h>

// {E4557E5C-BB64-4186-905E-8FC119DBA5E2}
extern const IID IID_IVidmorphEncoderConfig;
// {0CD2E142-8D60-11D3-9C32-00104B3801F6}
extern const IID IID_IVidmorphAudioEncoder;

struct IVidmorphEncoderConfig : public IUnknown {
    // The configuration inside a format block and the address of its offset in that block.
    virtual HRESULT STDMETHODCALLTYPE SetEncoderConfig(BYTE* pConfig, DWORD* pOffset) = 0;
};

struct IVidmorphAudioEncoder : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParameter(DWORD code, DWORD value) = 0;
};

// The audio encoder's mode parameter and its values.
const DWORD kVidmorphAudioModeParameter = 0x101;

#endif
