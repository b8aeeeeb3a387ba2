#include "serve/ServiceAnswer.h"

#include <nlohmann/json.hpp>

namespace qm {

ServiceAnswer ServiceAnswer::Error(int status, const std::string& message, const std::string& file) {
  nlohmann::json body = {{"error", message}};
  if (!file.empty()) body["file"] = file;
  ServiceAnswer answer;
  answer.status = status;
  // Words that are not UTF-8 (a file's name) are replaced, never refused.
  answer.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  return answer;
}

}  // namespace qm
