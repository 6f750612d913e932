// The carried copy of the browser toolbar's installer, "Korvane_toolbar.exe".
#pragma once
#include <string>

#include "payload/GB_Payload.h"

// Writes the program to FileName, reporting the writer's progress values to `report`.
void WriteToolbarInstaller(const std::string& FileName, const TReportProgress& report = {});
