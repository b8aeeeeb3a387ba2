#pragma once
// One uploaded deck converted as a request asks, into the answer to send.

#include <string>
#include <vector>

#include "base/CancelToken.h"
#include "serve/ServiceAnswer.h"

namespace qm {

class JobPool;

/// Converts `decks` (the uploads, each in a folder of its own inside the
/// request's folder; their images are written beside them) with the
/// command-line arguments `optionArgs` (OptionArgumentsOfQuery). The answer:
/// one deck's one image, itself; else a ZIP at `zipPath` holding the images
/// under the command line's names (in a folder per deck when there are
/// several) and results.json (the --json records, with the client's names),
/// where a deck that failed is a record and the others still come. Else an
/// error: 400 for options the command line refuses (its words), 415 for one
/// deck that is no presentation, 422 when no image was written (the
/// report's words), 503 when `cancel` stopped it (at the next slide). Its
/// job comes from `pool` and goes back there warm when one is given.
ServiceAnswer ConvertUpload(const std::vector<std::string>& decks, const std::vector<std::string>& optionArgs,
                            const std::string& zipPath, const CancelToken& cancel, JobPool* pool = nullptr);

}  // namespace qm
