#pragma once
// What quillmere-serve answers one request with.

#include <cstdint>
#include <string>

namespace qm {

/// A response: its status, type and body, the body either in memory or a
/// file to send (which the service removes with the request's folder).
struct ServiceAnswer {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;      ///< the body, when `bodyPath` is empty
  std::string bodyPath;  ///< a file whose bytes are the body
  std::string fileName;  ///< the name Content-Disposition gives; "" for none
  int retryAfterSeconds = 0;  ///< Retry-After, when positive
  std::uint64_t images = 0;   ///< slide images the answer holds (for the service's counts)

  /// {"error": `message`, "file": `file`} with `status` (`file` left out when
  /// empty).
  static ServiceAnswer Error(int status, const std::string& message, const std::string& file = "");
};

}  // namespace qm
