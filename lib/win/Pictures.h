// The panels' pictures: JPEG files carried as RCDATA resources, decoded by the system (OleLoadPicture).
#pragma once
#include <windows.h>

#include "lib/win/WinHandles.h"

// Picture resource `name` scaled to width x height device pixels; empty when the resource is
// missing or cannot be decoded.
TBitmapHandle LoadPicture(const char* name, int width, int height);
