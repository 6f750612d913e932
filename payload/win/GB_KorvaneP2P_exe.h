// The carried copy of the client program, "Korvane.Exe".
#pragma once
#include <windows.h>

#include <string>

// Writes the program to FileName; the caller has set the bar's maximum. Bar and caption may
// be null (the caption is used only with a bar).
void WriteClientProgram(const std::string& FileName, HWND ProgressBar = nullptr, HWND ProgressCaption = nullptr);
