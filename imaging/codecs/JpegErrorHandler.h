#pragma once
// Turns libjpeg's fatal errors into a return to the caller instead of an
// exit of the whole program.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace qm {

/// libjpeg's error manager extended with a jump target and the text of the
/// failure. libjpeg would end the process on an error; this one writes the
/// message, keeps errno of the moment, and jumps back to the setjmp of the
/// guarded call, which then returns failure.
///
/// Use: Install() before jpeg_create_*; each guarded function does
/// `if (setjmp(handler.jump)) return false;` before calling libjpeg and
/// holds no object with a destructor (longjmp skips destructors). Warnings
/// (corrupt or missing data that libjpeg would quietly patch over) count as
/// errors too: a damaged file is refused rather than shown with grey blocks.
struct JpegErrorHandler {
  jpeg_error_mgr manager;  ///< must stay first: libjpeg hands out its address
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {};
  int systemError = 0;  ///< errno of a failed file read or write, else 0

  /// Sets up `manager` and returns it for `cinfo.err`.
  jpeg_error_mgr* Install();
};

}  // namespace qm
