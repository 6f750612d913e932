#include "payload/win/GB_KorvaneP2P_exe.h"

#include "payload/win/PayloadWriter.h"

extern const unsigned char GB_KorvaneP2P_exe_Data[];

void WriteClientProgram(const std::string& FileName, const TReportProgress& report) {
  WritePayloadFile({GB_KorvaneP2P_exe_Data, KClientProgram}, FileName, report);
}
