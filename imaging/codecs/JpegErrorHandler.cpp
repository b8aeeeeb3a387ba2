#include "imaging/codecs/JpegErrorHandler.h"

#include <cerrno>

#include <jerror.h>

namespace qm {

namespace {

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  auto* handler = reinterpret_cast<JpegErrorHandler*>(cinfo->err);
  // Only a failed read or write of the file has a system reason.
  const int code = cinfo->err->msg_code;
  handler->systemError = (code == JERR_FILE_WRITE || code == JERR_FILE_READ) ? errno : 0;
  (*cinfo->err->format_message)(cinfo, handler->message);
  std::longjmp(handler->jump, 1);
}

void ErrorExit(j_common_ptr cinfo) { JumpBack(cinfo); }

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) JumpBack(cinfo);  // a warning: the data is damaged
  // Trace messages are of no interest and never printed.
}

void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* JpegErrorHandler::Install() {
  jpeg_std_error(&manager);
  manager.error_exit = &ErrorExit;
  manager.emit_message = &EmitMessage;
  manager.output_message = &OutputMessage;
  message[0] = '\0';
  systemError = 0;
  return &manager;
}

}  // namespace qm
