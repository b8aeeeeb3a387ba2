#include "engine/batch/FileTask.h"

#include <limits.h>
#include <stdlib.h>

#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/export/Powerpoint1.h"

namespace qm {

std::string FileTask::OutputKey() const {
  // Two spellings of one folder ("out", "out/", "./out") must give one key.
  return ResolvedPath(CollapseSeparators(outputFolder + "/") + OutputBaseName(path));
}

void FileTask::PutTo(WireMessage& message) const {
  message.PutU32(static_cast<std::uint32_t>(position));
  message.PutString(path);
  message.PutString(outputFolder);
  message.PutU32(static_cast<std::uint32_t>(kind));
  message.PutI64(slide);
  message.PutI64(direction);
  message.PutU32(static_cast<std::uint32_t>(line));
  request.PutTo(message);
}

bool FileTask::GetFrom(WireMessage& message, FileTask* task) {
  FileTask read;
  read.position = static_cast<int>(message.GetU32());
  read.path = message.GetString();
  read.outputFolder = message.GetString();
  const std::uint32_t kind = message.GetU32();
  const std::int64_t slide = message.GetI64();
  const std::int64_t direction = message.GetI64();
  read.line = static_cast<int>(message.GetU32());
  if (!ConversionRequest::GetFrom(message, &read.request)) return false;
  if (!message.Ok() || kind > static_cast<std::uint32_t>(ExportKind::kOneSlide) ||
      slide < INT16_MIN || slide > INT16_MAX || direction < INT16_MIN || direction > INT16_MAX)
    return false;
  read.kind = static_cast<ExportKind>(kind);
  read.slide = static_cast<short>(slide);
  read.direction = static_cast<short>(direction);
  *task = std::move(read);
  return true;
}

void FileTask::ExportWith(Powerpoint1& exporters, ErrorTrap& trap) const {
  exporters.SetRequest(request);
  switch (kind) {
    case ExportKind::kEachSlide:
      trap.Step(line, [&] { exporters.SaveEachSlideAsImage(path, outputFolder); });
      break;
    case ExportKind::kAllSlides:
      exporters.SetStitchDirection(direction);
      trap.Step(line, [&] { exporters.SaveAllSlidesAsOneImage(path, outputFolder); });
      break;
    case ExportKind::kOneSlide:
      trap.Step(line, [&] { exporters.SaveXSlideAsImage(path, slide, outputFolder); });
      break;
    case ExportKind::kNone:
      break;
  }
}

}  // namespace qm
