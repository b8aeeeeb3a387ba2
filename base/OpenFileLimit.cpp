#include "base/OpenFileLimit.h"

#include <sys/resource.h>

#include <limits>

namespace qm {

long RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
  if (limit.rlim_cur < limit.rlim_max) {
    const rlim_t old = limit.rlim_cur;
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) limit.rlim_cur = old;
  }
  constexpr rlim_t kLargest = static_cast<rlim_t>(std::numeric_limits<long>::max());
  return limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kLargest
             ? std::numeric_limits<long>::max()
             : static_cast<long>(limit.rlim_cur);
}

}  // namespace qm
