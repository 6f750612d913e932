// The carried copy of the uninstaller, "Uninstall.Exe".
#pragma once
#include <string>

#include "payload/GB_Payload.h"

// Writes the program to FileName, reporting the writer's progress values to `report`.
void WriteUninstaller(const std::string& FileName, const TReportProgress& report = {});
