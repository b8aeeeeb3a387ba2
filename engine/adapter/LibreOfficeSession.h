#pragma once
// The state shared by one LibreOffice application object and the
// presentations opened through it.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "engine/adapter/DeckRenderer.h"

namespace qm {

class RenderWorker;
class RenderWorkerPool;

/// One application session, the program's DeckRenderer: a render worker
/// leased from the pool and the presentation open in it. Created by LibreOfficeApplicationFactory::Create,
/// shared by the application object, its presentations and their slides, so
/// a presentation may outlive its application object.
///
/// Each opened presentation gets a serial number; calls naming an older
/// serial fail with "the presentation is closed". End() (the application's
/// Quit) closes what is open and gives the worker back to the pool, warm; the
/// last reference does the same. When the worker fails (crash, time limit),
/// the failing call throws; the next call starts a fresh worker and, if a
/// presentation was open, opens it again, so one bad slide loses nothing else.
class LibreOfficeSession : public DeckRenderer {
 public:
  /// Leases a worker from `pool` when first needed (the first open), so a
  /// session that opens nothing starts nothing.
  explicit LibreOfficeSession(std::shared_ptr<RenderWorkerPool> pool);
  ~LibreOfficeSession() override;
  LibreOfficeSession(const LibreOfficeSession&) = delete;
  LibreOfficeSession& operator=(const LibreOfficeSession&) = delete;

  /// Opens `path`, closing any presentation open before. Returns its serial
  /// and fills `*info`. Throws qm::Error naming the file.
  std::uint64_t Open(const std::string& path, RenderDocumentInfo* info) override;

  /// Writes slide `number` (1-based) of presentation `serial` to
  /// `bitmapPath` as the worker draws it for `drawing`.
  void Draw(std::uint64_t serial, int number, const std::string& bitmapPath,
            const DrawRequest& drawing) override;

  /// True when slide `number` (1-based) of presentation `serial` is hidden.
  /// The renderer is asked once per open presentation.
  bool IsHidden(std::uint64_t serial, int number) override;

  /// Asks the worker; throws qm::Error when the presentation is closed or
  /// the worker fails.
  bool PrepareClickStates(std::uint64_t serial, int number, const DrawRequest& drawing,
                          std::string* why) override;

  /// Closes presentation `serial`; nothing happens when it is not open.
  void Close(std::uint64_t serial) override;

  /// True while presentation `serial` is the open one.
  bool IsOpen(std::uint64_t serial) const override { return serial != 0 && serial == openSerial_; }

  /// Ends the session: closes the open presentation and returns the worker to
  /// the pool. Later calls throw qm::Error. Never throws; idempotent.
  void End() override;

  bool Ended() const override { return ended_; }

 private:
  RenderWorker& Worker(const std::string& subject);

  std::shared_ptr<RenderWorkerPool> pool_;
  std::unique_ptr<RenderWorker> worker_;
  std::string openPath_;
  std::uint64_t openSerial_ = 0;
  std::uint64_t lastSerial_ = 0;
  /// The open presentation's hidden slides (0-based), once asked for.
  std::optional<std::vector<int>> hidden_;
  bool ended_ = false;
};

}  // namespace qm
