#pragma once
// One HTTP request as the server hands it on: its line, its query and its
// body, saved as a file in a folder of the request's own.

#include <cstdint>
#include <string>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct HttpRequest {
  std::string method;
  std::string path;  ///< without the query
  std::vector<std::pair<std::string, std::string>> query;  ///< in the order sent, decoded
  std::string folder;  ///< the request's own folder, removed when its answer is sent
  /// The decks sent, each a file of its own in `folder`: the raw body, or
  /// each file of a multipart/form-data body's field "files" (the form's
  /// other fields join `query`).
  std::vector<std::string> decks;
  std::uint64_t bodyBytes = 0;
  int clientFd = -1;  ///< the connection's socket, to tell whether the client left

  /// True once the client has closed its side: it waits for no answer (its
  /// whole request was read, so whatever it sends now is not this request's).
  bool ClientGone() const;
};

}  // namespace qm
