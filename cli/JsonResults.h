#pragma once
// The machine-readable results of a run: one JSON object a line.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/FileRecord.h"

namespace qm {

/// Writes one line per file of `list` (1-based list positions key
/// `records`; a file without a record was never reached: not converted),
/// then one per skipped path, then the summary line:
///   {"path":…,"status":…,"images":[…],"slides":N|null,"reasons":[…]}
///   {"summary":{"files":N,"converted":N,"failed":N,"not-converted":N,"skipped":N}}
/// Text that is not UTF-8 has its bad bytes replaced by U+FFFD.
/// Returns 0 when every line reached `out`, else the error number of the
/// failed write (ENOSPC on a full disk, EPIPE when the reader left).
int WriteJsonResults(std::FILE* out, const std::vector<std::string>& list,
                      const std::map<int, FileRecord>& records,
                      const std::vector<FileRecord>& skipped);

}  // namespace qm
