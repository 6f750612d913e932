#include "lib/win/WinHandles.h"

void TComRef::reset() {
  if (p_) p_->Release();
  p_ = nullptr;
}
