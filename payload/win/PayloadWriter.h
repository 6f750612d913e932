// The Win32 side of the payload writers: the output file, the bar and the caption.
#pragma once
#include <windows.h>

#include <string>

#include "payload/GB_Payload.h"

// Writes one carried program to FileName. With a bar, the reports set its position and, with a
// caption too, the caption to the nearest whole per cent and "% complete"; with or without
// them, pending messages are processed. Both follow at most once a frame, and the last report
// is always shown. Raises
// "Cannot create file "%s". %s", "Stream write error" or the decompression error.
void WritePayloadFile(const TPayload& payload, const std::string& FileName, HWND ProgressBar, HWND ProgressCaption);

// The system's text for an error code, without the trailing full stop and line break.
std::string SysErrorMessage(DWORD code);
