#pragma once
// Inside knowledge of the GDI+-style library shared by its own source files.

namespace qm {

/// True while at least one GdiplusStartup has not been undone by its
/// GdiplusShutdown. The answer may change as soon as it is returned when
/// other threads start or stop the library; callers use it as a gate only.
bool GdiplusIsStarted();

}  // namespace qm
