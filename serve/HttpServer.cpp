#include "serve/HttpServer.h"

#include "serve/RequestFolders.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <filesystem>
#include <thread>

namespace qm {

namespace {

/// A name of the client's made safe as one file name of ours: its last
/// path part, with every byte that is not a letter, digit, '.', '-', '_',
/// ' ' or part of a UTF-8 character replaced by '_'; "presentation" when
/// nothing is left or it would be "." or "..".
std::string SafeFileName(const char* given) {
  std::string name = given != nullptr ? given : "";
  if (const auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
  for (char& c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (!(std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ' ' || u >= 0x80)) c = '_';
  }
  if (name.size() > 200) name.erase(0, name.size() - 200);
  if (name.empty() || name == "." || name == ".." || name[0] == '.') name = "presentation" + name;
  return name;
}

MHD_Result CollectArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
  static_cast<HttpRequest*>(cls)->query.emplace_back(key != nullptr ? key : "", value != nullptr ? value : "");
  return MHD_YES;
}

}  // namespace

/// One request's state, from its first call to its completion.
struct HttpServer::Exchange {
  HttpRequest request;
  MHD_PostProcessor* form = nullptr;  ///< a multipart/form-data body's reader
  std::string formError;              ///< why the form was refused; "" while it reads
  int bodyFd = -1;  ///< the file being written: the raw body, or the form's current deck
  bool tooLarge = false;
  bool receiving = false;  ///< counted among the uploads under way
  bool writeFailed = false;
  int status = 0;
  std::uint64_t sentBytes = 0;
  std::string file;  ///< the deck's name, for the log line of a failure
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

struct HttpServerCalls {
  static MHD_Result Queue(MHD_Connection* connection, HttpServer::Exchange& exchange,
                          const ServiceAnswer& answer) {
    MHD_Response* response = nullptr;
    std::uint64_t bytes = answer.body.size();
    if (!answer.bodyPath.empty()) {
      const int fd = ::open(answer.bodyPath.c_str(), O_RDONLY | O_CLOEXEC);
      struct stat info {};
      if (fd >= 0 && ::fstat(fd, &info) == 0) {
        bytes = static_cast<std::uint64_t>(info.st_size);
        response = MHD_create_response_from_fd(bytes, fd);  // closes fd
      } else if (fd >= 0) {
        ::close(fd);
      }
      if (response == nullptr)
        return Queue(connection, exchange, ServiceAnswer::Error(500, "The answer's file could not be read."));
    } else {
      response = MHD_create_response_from_buffer(answer.body.size(), const_cast<char*>(answer.body.data()),
                                                 MHD_RESPMEM_MUST_COPY);
    }
    if (response == nullptr) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    if (!answer.fileName.empty()) {
      const std::string disposition = "attachment; filename=\"" + answer.fileName + "\"";
      MHD_add_response_header(response, "Content-Disposition", disposition.c_str());
    }
    if (answer.retryAfterSeconds > 0)
      MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, std::to_string(answer.retryAfterSeconds).c_str());
    exchange.status = answer.status;
    exchange.sentBytes = bytes;
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return queued;
  }

  /// The first call of a request: its state, its folder, and the answers
  /// that need no body (a wrong route or method, a body known too large).
  /// The header watch: a connection starts waiting for headers when it
  /// opens and after each answer, and stops when a request's headers are in.
  static void Waiting(HttpServer& server, const void* connection, bool waiting) {
    const std::lock_guard<std::mutex> lock(server.watchMutex_);
    const auto found = server.watched_.find(connection);
    if (found == server.watched_.end()) return;
    found->second.waiting = waiting;
    found->second.since = std::chrono::steady_clock::now();
  }

  static void Connection(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
    auto& server = *static_cast<HttpServer*>(cls);
    const std::lock_guard<std::mutex> lock(server.watchMutex_);
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
      server.watched_.erase(connection);
      return;
    }
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    server.watched_[connection] = {info != nullptr ? info->connect_fd : -1, std::chrono::steady_clock::now(), true};
  }

  static MHD_Result Begin(HttpServer& server, MHD_Connection* connection, const char* url,
                          const char* method, void** state) {
    Waiting(server, connection, false);
    auto exchange = std::make_unique<HttpServer::Exchange>();
    exchange->request.method = method;
    exchange->request.path = url;
    if (const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
      exchange->request.clientFd = info->connect_fd;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &CollectArgument, &exchange->request);
    HttpServer::Exchange& ex = *exchange;
    *state = exchange.release();
    // Only a conversion has a body worth keeping; anything else is answered now.
    if (ex.request.path != "/convert" || ex.request.method != "POST")
      return Queue(connection, ex, server.handler_(ex.request));
    const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    if (length != nullptr && std::strtoull(length, nullptr, 10) > server.options_.maxBodyBytes) {
      ex.tooLarge = true;
      // A client that waits for "100 Continue" hears at once and sends
      // nothing; any other is read to the end (and nothing kept) so that it
      // reads the answer instead of a closed connection.
      const char* expect = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_EXPECT);
      if (expect != nullptr && ::strcasecmp(expect, "100-continue") == 0)
        return Queue(connection, ex, TooLarge(server));
      return MHD_YES;
    }
    // The body goes to a folder of the request's own, under a name of ours.
    const std::string folder = NewRequestFolder();
    if (folder.empty())
      return Queue(connection, ex, ServiceAnswer::Error(500, std::string("No folder for the upload: ") + std::strerror(errno) + "."));
    ex.request.folder = folder;
    ex.receiving = true;
    ++server.uploads_;
    const char* type = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
    if (type != nullptr && ::strncasecmp(type, "multipart/form-data", 19) == 0) {
      ex.form = MHD_create_post_processor(connection, 64 * 1024, &FormPart, &ex);
      if (ex.form == nullptr) return Queue(connection, ex, ServiceAnswer::Error(400, "The form's boundary is missing."));
      return MHD_YES;
    }
    if (!NewDeck(ex, MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "filename")))
      return Queue(connection, ex, ServiceAnswer::Error(500, std::string("The upload cannot be kept: ") + std::strerror(errno) + "."));
    return MHD_YES;
  }

  /// Starts the request's next deck, named after `given` made safe, in a
  /// folder of its own (so two decks of one name keep apart). False, with
  /// errno, when it cannot be made.
  static bool NewDeck(HttpServer::Exchange& ex, const char* given) {
    if (ex.bodyFd >= 0) ::close(ex.bodyFd);
    ex.bodyFd = -1;
    const std::string place = ex.request.folder + "/" + std::to_string(ex.request.decks.size() + 1);
    if (::mkdir(place.c_str(), 0700) != 0) return false;
    const std::string name = SafeFileName(given);
    if (ex.file.empty()) ex.file = name;
    ex.request.decks.push_back(place + "/" + name);
    ex.bodyFd = ::open(ex.request.decks.back().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return ex.bodyFd >= 0;
  }

  /// Writes `size` bytes to the file under way; false when the disk refuses.
  static bool WriteBody(HttpServer::Exchange& ex, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
      const ssize_t wrote = ::write(ex.bodyFd, data + done, size - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      done += static_cast<std::size_t>(wrote);
    }
    return true;
  }

  /// One piece of a form field: a deck of the field "files" goes to a file
  /// of its own; any other field is an option (at most 4 KiB of text).
  static MHD_Result FormPart(void* cls, MHD_ValueKind, const char* key, const char* filename, const char*,
                             const char*, const char* data, std::uint64_t offset, std::size_t size) {
    auto& ex = *static_cast<HttpServer::Exchange*>(cls);
    const std::string field = key != nullptr ? key : "";
    if (filename != nullptr) {
      if (field != "files") {
        ex.formError = "The form sends a file in the field \"" + field + "\"; decks go in the field \"files\".";
        return MHD_NO;
      }
      if (offset == 0 && !NewDeck(ex, filename)) ex.writeFailed = true;
      if (!ex.writeFailed && !WriteBody(ex, data, size)) ex.writeFailed = true;
      return ex.writeFailed ? MHD_NO : MHD_YES;
    }
    if (offset == 0) ex.request.query.emplace_back(field, "");
    std::string& value = ex.request.query.back().second;
    if (value.size() + size > 4096) {
      ex.formError = "The form's field \"" + field + "\" is longer than an option is.";
      return MHD_NO;
    }
    value.append(data, size);
    return MHD_YES;
  }

  static ServiceAnswer TooLarge(const HttpServer& server) {
    return ServiceAnswer::Error(413, "The upload is larger than the service takes (" +
                                         std::to_string(server.options_.maxBodyBytes >> 20) + " MB).");
  }

  static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url, const char* method,
                           const char*, const char* data, std::size_t* size, void** state) {
    auto& server = *static_cast<HttpServer*>(cls);
    if (*state == nullptr) return Begin(server, connection, url, method, state);
    auto& ex = *static_cast<HttpServer::Exchange*>(*state);
    if (ex.status != 0) {  // answered already: the rest of the body is dropped
      *size = 0;
      return MHD_YES;
    }
    if (*size > 0) {
      ex.request.bodyBytes += *size;
      if (ex.request.bodyBytes > server.options_.maxBodyBytes) ex.tooLarge = true;
      // Reading a refused body on has its end: past four times the limit
      // the connection is closed.
      if (ex.tooLarge && ex.request.bodyBytes / 4 > server.options_.maxBodyBytes) return MHD_NO;
      if (!ex.tooLarge && !ex.writeFailed && ex.formError.empty()) {
        if (ex.form != nullptr) {
          // A refused form reads on to its end, keeping nothing more.
          if (MHD_post_process(ex.form, data, *size) != MHD_YES && ex.formError.empty() && !ex.writeFailed)
            ex.formError = "The form cannot be read as multipart/form-data.";
        } else if (!WriteBody(ex, data, *size)) {
          ex.writeFailed = true;
        }
      }
      *size = 0;
      return MHD_YES;
    }
    // The whole body is in.
    EndUpload(server, ex);
    if (ex.form != nullptr && MHD_destroy_post_processor(ex.form) != MHD_YES && ex.formError.empty())
      ex.formError = "The form ends before its last part does.";
    ex.form = nullptr;
    if (ex.bodyFd >= 0) ::close(ex.bodyFd);
    ex.bodyFd = -1;
    if (ex.tooLarge) return Queue(connection, ex, TooLarge(server));
    if (ex.writeFailed) return Queue(connection, ex, ServiceAnswer::Error(500, "The upload could not be kept (the disk may be full)."));
    if (!ex.formError.empty()) return Queue(connection, ex, ServiceAnswer::Error(400, ex.formError));
    if (ex.request.decks.empty()) return Queue(connection, ex, ServiceAnswer::Error(400, "The form sends no deck in the field \"files\"."));
    const MHD_Result queued = Queue(connection, ex, server.handler_(ex.request));
    // The answer's file is open now: the request's folder can go before it is sent.
    RemoveFolder(ex);
    return queued;
  }

  static void EndUpload(HttpServer& server, HttpServer::Exchange& ex) {
    if (!ex.receiving) return;
    ex.receiving = false;
    --server.uploads_;
  }

  static void RemoveFolder(HttpServer::Exchange& ex) {
    if (ex.request.folder.empty()) return;
    std::error_code ignored;  // a folder that cannot be removed is left to the system's cleaning
    std::filesystem::remove_all(ex.request.folder, ignored);
    ex.request.folder.clear();
  }

  static void Completed(void* cls, MHD_Connection* connection, void** state, MHD_RequestTerminationCode) {
    auto& server = *static_cast<HttpServer*>(cls);
    Waiting(server, connection, true);  // for the next request's headers
    std::unique_ptr<HttpServer::Exchange> ex(static_cast<HttpServer::Exchange*>(*state));
    *state = nullptr;
    if (!ex) return;
    EndUpload(server, *ex);
    if (ex->status != 0 && server.answered_) server.answered_(ex->request, ex->status, ex->sentBytes);
    if (ex->form != nullptr) (void)MHD_destroy_post_processor(ex->form);  // the client left mid-form
    if (ex->bodyFd >= 0) ::close(ex->bodyFd);
    RemoveFolder(*ex);  // a client gone mid-upload leaves its folder here
    if (server.options_.quiet) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - ex->start).count();
    std::fprintf(stderr, "quillmere-serve: %s %s %d %llu bytes in, %llu out, %lld ms%s%s\n",
                 ex->request.method.c_str(), ex->request.path.c_str(), ex->status,
                 static_cast<unsigned long long>(ex->request.bodyBytes),
                 static_cast<unsigned long long>(ex->sentBytes), static_cast<long long>(ms),
                 ex->status >= 400 && !ex->file.empty() ? " " : "", ex->status >= 400 ? ex->file.c_str() : "");
  }
};

HttpServer::HttpServer(ServeOptions options, Handler handler, Answered answered,
                       std::atomic<std::size_t>& uploads)
    : options_(std::move(options)), handler_(std::move(handler)), answered_(std::move(answered)), uploads_(uploads) {}

HttpServer::~HttpServer() { Stop(); }

Status HttpServer::Start() {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(options_.port));
  if (::inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1)
    return Status::Failure("Cannot listen on " + options_.host + ": not an IPv4 address.");
  daemon_ = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_ITC | MHD_USE_ERROR_LOG,
      static_cast<std::uint16_t>(options_.port), nullptr, nullptr, &HttpServerCalls::Access, this,
      MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr*>(&address),
      MHD_OPTION_NOTIFY_COMPLETED, &HttpServerCalls::Completed, this,
      MHD_OPTION_NOTIFY_CONNECTION, &HttpServerCalls::Connection, this,
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(options_.readTimeoutSeconds),
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(options_.maxConnections), MHD_OPTION_END);
  if (daemon_ == nullptr)
    return Status::Failure("Cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
                           " (in use, or not an address of this machine).");
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info != nullptr ? info->port : options_.port;
  watch_ = std::thread([this] { Watch(); });
  return {};
}

void HttpServer::Watch() {
  // The read timeout closes a silent connection; one that trickles its
  // headers a byte at a time is never silent, so it is cut off here.
  const auto limit = std::chrono::seconds(options_.headerTimeoutSeconds);
  std::unique_lock<std::mutex> lock(watchMutex_);
  while (!watchStop_) {
    watchWake_.wait_for(lock, std::chrono::milliseconds(250));
    const auto now = std::chrono::steady_clock::now();
    for (auto& [connection, watched] : watched_) {
      if (!watched.waiting || watched.fd < 0 || now - watched.since < limit) continue;
      (void)::shutdown(watched.fd, SHUT_RDWR);  // its thread sees the end and closes it
      watched.waiting = false;
    }
  }
}

void HttpServer::Quiesce() {
  // The listening socket is closed at once, so a balancer sends elsewhere.
  if (daemon_ != nullptr) {
    const MHD_socket listening = MHD_quiesce_daemon(daemon_);
    if (listening != MHD_INVALID_SOCKET) ::close(listening);
  }
}

void HttpServer::Stop(std::chrono::milliseconds grace) {
  if (daemon_ == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(watchMutex_);
    watchStop_ = true;
  }
  watchWake_.notify_all();
  if (watch_.joinable()) watch_.join();
  const auto end = std::chrono::steady_clock::now() + grace;
  for (;;) {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
    if (info == nullptr || info->num_connections == 0 || std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace qm
