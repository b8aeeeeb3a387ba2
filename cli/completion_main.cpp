// Writes quillmere-batch's bash completion (from its option table) to
// standard output; the build installs what it writes.

#include <cstdio>

#include "cli/BashCompletion.h"

int main() {
  const std::string script = qm::BashCompletionScript();
  return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() ? 0 : 1;
}
