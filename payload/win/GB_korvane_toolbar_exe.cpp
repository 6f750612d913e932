#include "payload/win/GB_korvane_toolbar_exe.h"

#include "payload/win/PayloadWriter.h"

extern const unsigned char GB_korvane_toolbar_exe_Data[];

void WriteToolbarInstaller(const std::string& FileName, const TReportProgress& report) {
  WritePayloadFile({GB_korvane_toolbar_exe_Data, KToolbarInstaller}, FileName, report);
}
