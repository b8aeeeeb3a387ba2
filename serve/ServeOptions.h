#pragma once
// quillmere-serve's own options: where it listens and what it accepts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct ServeOptions {
  std::string host = "127.0.0.1";  ///< --listen HOST:PORT; an IPv4 address
  int port = 8080;                 ///< 0: any free port (said on standard error)
  std::uint64_t maxBodyBytes = 100ull << 20;  ///< --max-body MB: larger uploads get 413
  int jobs = 0;                    ///< --jobs N: conversions at once; 0: one per core (as quillmere-batch)
  int maxDecks = 20;               ///< --max-decks N: decks one request may send
  int queue = 16;                  ///< --queue N: conversions that may wait; one more gets 429
  int deadlineSeconds = 300;       ///< --deadline S: a request's time, its wait included; past it 503
  int headerTimeoutSeconds = 10;   ///< --header-timeout S: a request's headers must be in by then
  int readTimeoutSeconds = 30;     ///< --read-timeout S: a connection silent this long is closed
  int maxConnections = 64;         ///< --max-connections N: connections at once
  int drainSeconds = 20;           ///< --drain S: after SIGTERM, conversions under way get this long
  bool quiet = false;              ///< --quiet: no line per request
  bool help = false;
  bool version = false;
};

/// The service's usage text, printed by --help.
std::string ServeUsageText();

/// Parses `args` (without the program name); nullopt with `error` set to a
/// sentence saying what is wrong.
std::optional<ServeOptions> ParseServeOptions(const std::vector<std::string>& args, std::string* error);

}  // namespace qm
