// An untrusted file given to the password probe, which reads it in the front
// end before any renderer's limits apply.

#include <cstddef>
#include <cstdint>

#include "engine/adapter/EncryptionProbe.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qm::fuzz::InputFile file(data, size);
  qm::IsPasswordProtected(file.Path());
  return 0;
}
