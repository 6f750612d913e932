// The panels' pictures: run-length coded bitmap resources, which GDI reads itself.
#pragma once
#include <windows.h>

#include "lib/win/WinHandles.h"

// Picture resource `name` scaled to width x height device pixels; empty when the resource is
// missing or cannot be read.
TBitmapHandle LoadPicture(const char* name, int width, int height);
