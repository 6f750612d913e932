// The carried copy of the client program, "Korvane.Exe".
#pragma once
#include <string>

#include "payload/GB_Payload.h"

// Writes the program to FileName, reporting the writer's progress values to `report`.
void WriteClientProgram(const std::string& FileName, const TReportProgress& report = {});
