// The stack protector's guard (lib/win/StackGuard.cpp), as every program of this build has it.
#include <gtest/gtest.h>

extern "C" void* __stack_chk_guard;

// Seeded before main: left at its first value, its own address, the guard would be known to
// whoever knows where the program was loaded.
TEST(StackGuard, IsSeededBeforeMain) {
  EXPECT_NE(__stack_chk_guard, static_cast<void*>(&__stack_chk_guard));
  EXPECT_NE(__stack_chk_guard, nullptr);
}
