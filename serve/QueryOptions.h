#pragma once
// A request's conversion options, from its query parameters to the words of
// quillmere-batch's command line.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

/// The query's parameters as command-line arguments ("mode=all" becomes
/// "--mode=all"; a flag "pad=1" or "pad=true" becomes "--pad", "pad=0" or
/// "pad=false" nothing), for ParseCommandLine to read and check with the
/// command line's own words and limits. Only the options that shape the
/// images are taken (not those of files, jobs or output on the server);
/// `filename` is the deck's name and left out. nullopt, with the sentence
/// in `error`, for any other parameter or a flag with another value.
std::optional<std::vector<std::string>> OptionArgumentsOfQuery(
    const std::vector<std::pair<std::string, std::string>>& query, std::string* error);

}  // namespace qm
