// src/framework/Framework.h
// The whole class-library layer in one include.
#ifndef TAVISK_FRAMEWORK_FRAMEWORK_H
#define TAVISK_FRAMEWORK_FRAMEWORK_H

#include "framework/String.h"
#include "framework/Array.h"
#include "framework/MapStringToPtr.h"
#include "framework/Exceptions.h"
#include "framework/Handles.h"
#include "framework/Geometry.h"
#include "framework/File.h"
#include "framework/StreamOwner.h"
#include "framework/FileFind.h"
#include "framework/Thread.h"
#include "framework/Registry.h"
#include "framework/Clock.h"
#include "framework/Shell.h"

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Controls.h"
#include "framework/ListCtrl.h"
#include "framework/App.h"
#include "framework/MessageBox.h"
#include "framework/CommonDialogs.h"
#include "framework/DialogHooks.h"

#endif
