#pragma once
// One uploaded deck converted as a request asks, into the answer to send.

#include <string>
#include <vector>

#include "base/CancelToken.h"
#include "serve/ServiceAnswer.h"

namespace qm {

class JobPool;

/// Converts the deck at `deckPath` (the upload, in the request's own folder)
/// with the command-line arguments `optionArgs` (OptionArgumentsOfQuery),
/// writing into `outputFolder` (an empty folder of the request's own). The
/// answer: the one image written, itself; several, a ZIP holding them under
/// their names and results.json (the --json records) at `zipPath`; else an
/// error: 400 for options the command line refuses (its words), 415 for a
/// file that is no presentation, 422 for a deck that was not converted (the
/// report's words). `cancel` stops the conversion at the next slide; its job
/// comes from `pool` and goes back there warm when one is given.
ServiceAnswer ConvertUpload(const std::string& deckPath, const std::vector<std::string>& optionArgs,
                            const std::string& outputFolder, const std::string& zipPath,
                            const CancelToken& cancel, JobPool* pool = nullptr);

}  // namespace qm
