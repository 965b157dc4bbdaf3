// src/capture/DxDiagGuids.cpp
// The DirectX diagnostics ids are declared by the headers but defined in no import library: defined here, once.
#include <windows.h>
#include <initguid.h>
#include <dxdiag.h>
