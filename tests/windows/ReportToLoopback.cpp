// No test may send an error report to the real report address: every wizard that fails in a
// test reports to a loopback port where nobody listens, unless the test points it elsewhere.
#include <gtest/gtest.h>

#include "lib/LIB_kvURL.h"
#include "wizard/Appl_Report.h"

namespace {
class TReportToLoopback : public testing::Environment {
 public:
  void SetUp() override { SetReportAddress(PackURL("http://127.0.0.1:9/report.php?")); }
};
const testing::Environment* const kReportToLoopback = testing::AddGlobalTestEnvironment(new TReportToLoopback);
}  // namespace
