// Helper of the restart test. Given an argument it fails, lands on the error panel and presses
// "&Restart"; the copy that the restart starts finds no argument and leaves its command line in
// a file beside the program.
#include <fstream>
#include <stdexcept>

#include "app/Appl_Panels.h"
#include "lib/LIB_kvURL.h"
#include "lib/win/WinApp.h"
#include "wizard/Appl_Report.h"

int main(int argc, char**) {
  InitApplication();
  if (argc < 2) {
    std::ofstream(ExePath() + ".restarted") << GetCommandLineA();
    return 0;
  }
  SetReportAddress(PackURL("http://127.0.0.1:9/report.php?"));
  const auto form = CreateWizard({});
  form->Show();
  Dispatch([] { throw std::runtime_error("probe failure"); });
  if (form->ActivePanel() != form->Panel(TPanelId::Error)) return 2;
  PostMessageA(form->Handle(), WM_SYSCHAR, 'r', 0);
  ProcessMessagesFor(5000);
  return 3;  // the restart should have ended the process
}
