#include "cli/JobEvent.h"

namespace qm {

std::string JobEvent::Encode() const {
  std::string line{static_cast<char>(kind), ' '};
  for (char c : text) {
    if (c == '\\') line += "\\\\";
    else if (c == '\n') line += "\\n";
    else if (c == '\r') line += "\\r";
    else line += c;
  }
  line += '\n';
  return line;
}

std::optional<JobEvent> JobEvent::Decode(const std::string& line) {
  if (line.size() < 2 || line[1] != ' ') return std::nullopt;
  const char kind = line[0];
  if (kind != kFileStarted && kind != kReport && kind != kMessage)
    return std::nullopt;
  JobEvent event{static_cast<Kind>(kind), {}};
  for (std::size_t i = 2; i < line.size(); ++i) {
    if (line[i] != '\\') {
      event.text += line[i];
      continue;
    }
    if (++i == line.size()) return std::nullopt;
    if (line[i] == 'n') event.text += '\n';
    else if (line[i] == 'r') event.text += '\r';
    else if (line[i] == '\\') event.text += '\\';
    else return std::nullopt;
  }
  return event;
}

}  // namespace qm
