#pragma once
// One HTTP request as the server hands it on: its line, its query and its
// body, saved as a file in a folder of the request's own.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct HttpRequest {
  std::string method;
  std::string path;  ///< without the query
  std::vector<std::pair<std::string, std::string>> query;  ///< in the order sent, decoded
  std::string folder;    ///< the request's own folder, removed when its answer is sent
  std::string bodyPath;  ///< the body as a file in `folder`; "" without a body
  std::uint64_t bodyBytes = 0;
};

}  // namespace qm
