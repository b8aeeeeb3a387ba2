#pragma once
// An environment variable set for the scope of a test.

#include <stdlib.h>

#include <string>

namespace qm::test {

/// Sets (or, with a null value, removes) an environment variable; the
/// destructor brings back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = ::getenv(name);
    if (old != nullptr) old_ = old, hadOld_ = true;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (hadOld_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace qm::test
