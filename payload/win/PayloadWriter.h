// The Win32 side of the payload writers: the output file.
#pragma once
#include <string>

#include "payload/GB_Payload.h"

// Writes one carried program to FileName, reporting every value of the writer's progress.
// Raises "Cannot create file "%s". %s", "Stream write error" or the decompression error.
void WritePayloadFile(const TPayload& payload, const std::string& FileName, const TReportProgress& report = {});
