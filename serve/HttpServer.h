#pragma once
// The service's HTTP/1.1 server, on libmicrohttpd: it parses requests,
// streams each body to a file of the request's own and sends the answers.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <string>

#include "base/Status.h"
#include "serve/HttpRequest.h"
#include "serve/ServeOptions.h"
#include "serve/ServiceAnswer.h"

struct MHD_Daemon;

namespace qm {

/// Listens where `options` say and answers every request with `handler`,
/// each connection on a thread of its own. The body of a POST to /convert
/// is written to a private folder as it arrives (never held in memory) and
/// the folder is removed once the answer is queued or the client is gone; a
/// body past options.maxBodyBytes is answered 413 without being kept. Other
/// requests reach the handler without a body. `answered` hears of every
/// answer sent (its status and bytes), one line per request goes to
/// standard error unless options.quiet, and `uploads` counts the bodies
/// being received.
class HttpServer {
 public:
  using Handler = std::function<ServiceAnswer(const HttpRequest&)>;
  using Answered = std::function<void(const HttpRequest&, int status, std::uint64_t bytesSent)>;

  HttpServer(ServeOptions options, Handler handler, Answered answered, std::atomic<std::size_t>& uploads);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  /// Starts listening; a failure says where and why.
  Status Start();
  /// The port listened on (the one chosen when options.port was 0).
  int Port() const { return port_; }
  /// Stops accepting connections; those open are still served.
  void Quiesce();
  /// Waits up to `grace` for the open connections to finish sending their
  /// answers and close, then stops and waits for the connections' threads.
  /// Idempotent.
  void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(0));

  struct Exchange;  ///< one request's state, from its first byte to its answer

 private:
  ServeOptions options_;
  Handler handler_;
  Answered answered_;
  std::atomic<std::size_t>& uploads_;
  MHD_Daemon* daemon_ = nullptr;
  int port_ = 0;

  /// A connection as the header watch sees it: its socket, and since when
  /// it waits for a request's headers (not while a request is served).
  struct Watched {
    int fd = -1;
    std::chrono::steady_clock::time_point since;
    bool waiting = true;
  };
  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  std::map<const void*, Watched> watched_;
  bool watchStop_ = false;
  std::thread watch_;
  void Watch();

  friend struct HttpServerCalls;
};

}  // namespace qm
