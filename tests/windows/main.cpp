// The Windows tests run in one process under Wine, with the application set up as the exe does.
#include <gtest/gtest.h>

#include "lib/win/WinApp.h"

int main(int argc, char** argv) {
  InitApplication();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
