// A service request's options: any query at all. What the parser takes must
// cross to the job whole (a request the job's decoder refuses would lose its
// decks without a word).

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "engine/export/ConversionRequest.h"
#include "engine/protocol/WireMessage.h"
#include "serve/QueryOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // "name=value&name=value...", as the server hands the query over, decoded.
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::pair<std::string, std::string>> query;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('&', start), text.size());
    const std::string part = text.substr(start, end - start);
    const std::size_t equals = part.find('=');
    query.emplace_back(part.substr(0, equals), equals == std::string::npos ? "" : part.substr(equals + 1));
    start = end + 1;
  }
  std::string error;
  auto args = qm::OptionArgumentsOfQuery(query, &error);
  if (!args) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  args->insert(args->end(), {"--beside", "--", "deck.pptx"});
  const auto options = qm::ParseCommandLine(*args, &error);
  if (!options) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  qm::WireMessage sent(std::uint8_t{1});
  options->request.PutTo(sent);
  qm::WireMessage received;
  qm::ConversionRequest decoded;
  if (!qm::WireMessage::FromBytes(sent.Bytes(), &received) || !qm::ConversionRequest::GetFrom(received, &decoded) ||
      !(decoded == options->request))
    __builtin_trap();
  return 0;
}
