#include "imaging/writers/GdiPlusSession.h"

namespace qm {

bool GdiPlusSession::Start() {
  if (token_ != 0) return true;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != GpStatus::Ok) return false;
  token_ = token;
  return true;
}

void GdiPlusSession::Stop() {
  if (token_ == 0) return;
  GdiplusShutdown(token_);
  token_ = 0;
}

}  // namespace qm
