#include "payload/win/GB_Uninstall_exe.h"

#include "payload/win/PayloadWriter.h"

extern const unsigned char GB_Uninstall_exe_Data[];

void WriteUninstaller(const std::string& FileName, const TReportProgress& report) {
  WritePayloadFile({GB_Uninstall_exe_Data, KUninstaller}, FileName, report);
}
