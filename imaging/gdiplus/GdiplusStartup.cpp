// The process-wide start and stop of the GDI+-style library.

#include <mutex>
#include <set>

#include "imaging/gdiplus/Gdiplus.h"
#include "imaging/gdiplus/GdiplusState.h"

namespace qm {

namespace {

std::mutex& StateMutex() {
  static std::mutex mutex;
  return mutex;
}

/// Tokens of the starts not yet stopped; the library is started while this
/// is not empty.
std::set<ULONG_PTR>& LiveTokens() {
  static std::set<ULONG_PTR> tokens;
  return tokens;
}

ULONG_PTR& LastToken() {
  static ULONG_PTR last = 0;
  return last;
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* /*output*/) {
  if (!token) return GpStatus::InvalidParameter;
  *token = 0;
  if (!input) return GpStatus::InvalidParameter;
  if (input->GdiplusVersion != 1) return GpStatus::UnsupportedGdiplusVersion;
  std::lock_guard<std::mutex> lock(StateMutex());
  // Tokens are never reused, so a stale token cannot stop a later start.
  *token = ++LastToken();
  LiveTokens().insert(*token);
  return GpStatus::Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  std::lock_guard<std::mutex> lock(StateMutex());
  LiveTokens().erase(token);
}

bool GdiplusIsStarted() {
  std::lock_guard<std::mutex> lock(StateMutex());
  return !LiveTokens().empty();
}

}  // namespace qm
