#include "engine/adapter/LibreOfficeSession.h"

#include "engine/adapter/EncryptionProbe.h"
#include "engine/adapter/SlidePartsProbe.h"

#include <algorithm>
#include <utility>

#include "base/Error.h"
#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerPool.h"

namespace qm {

LibreOfficeSession::LibreOfficeSession(std::shared_ptr<RenderWorkerPool> pool)
    : pool_(std::move(pool)) {}

LibreOfficeSession::~LibreOfficeSession() { End(); }

RenderWorker& LibreOfficeSession::Worker(const std::string& subject) {
  if (ended_) throw Error(subject + ": the presentation application has quit");
  if (worker_ && worker_->Usable()) return *worker_;
  // The worker failed during an earlier call: start afresh, and reopen the
  // presentation that was open so the next slides still export.
  worker_.reset();
  worker_ = pool_->Acquire();
  if (openSerial_ != 0) {
    try {
      worker_->Open(openPath_);
    } catch (...) {
      openSerial_ = 0;
      throw;
    }
  }
  return *worker_;
}

std::uint64_t LibreOfficeSession::Open(const std::string& path, RenderDocumentInfo* info) {
  openSerial_ = 0;
  // LibreOffice takes seconds to give up on an encrypted file and then calls
  // it damaged; the container says at once what it is.
  if (IsPasswordProtected(path)) throw Error(path + ": the presentation is password-protected");
  RenderWorker& worker = Worker(path);
  *info = worker.Open(path);
  // LibreOffice gives a deck without slides one blank page: such a deck has
  // no slide to write.
  if (info->slideCount == 1 && CountSlideParts(path) == 0) info->slideCount = 0;
  openPath_ = path;
  hidden_.reset();
  openSerial_ = ++lastSerial_;
  return openSerial_;
}

void LibreOfficeSession::Draw(std::uint64_t serial, int number, const std::string& bitmapPath,
                              const DrawRequest& drawing) {
  if (!IsOpen(serial)) throw Error(bitmapPath + ": the presentation to export from is closed");
  Worker(openPath_).Export(number - 1, bitmapPath, drawing);
}

bool LibreOfficeSession::IsHidden(std::uint64_t serial, int number) {
  if (!IsOpen(serial)) throw Error(openPath_ + ": the presentation is closed");
  if (!hidden_) hidden_ = Worker(openPath_).HiddenSlides();
  return std::find(hidden_->begin(), hidden_->end(), number - 1) != hidden_->end();
}

bool LibreOfficeSession::PrepareClickStates(std::uint64_t serial, int number, const DrawRequest& drawing,
                                            std::string* why) {
  if (!IsOpen(serial)) throw Error(openPath_ + ": the presentation is closed");
  return Worker(openPath_).PrepareSteps(number - 1, drawing, why);
}

void LibreOfficeSession::Close(std::uint64_t serial) {
  if (!IsOpen(serial)) return;
  openSerial_ = 0;
  if (ended_ || !worker_ || !worker_->Usable()) return;  // nothing is open any more
  worker_->Close();
}

void LibreOfficeSession::End() {
  if (ended_) return;
  ended_ = true;
  openSerial_ = 0;
  if (pool_) pool_->Release(std::move(worker_));  // closes what is open
}

}  // namespace qm
