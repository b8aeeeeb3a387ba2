// An untrusted file given to the container probes (password, slide count,
// linked pictures), which read it in the job or the front end before any
// renderer's limits apply.

#include <cstddef>
#include <cstdint>

#include "engine/adapter/EncryptionProbe.h"
#include "engine/adapter/LinkedPictureProbe.h"
#include "engine/adapter/SlidePartsProbe.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qm::fuzz::InputFile file(data, size);
  qm::IsPasswordProtected(file.Path());
  (void)qm::CountSlideParts(file.Path());
  (void)qm::CountLinkedPictures(file.Path());
  return 0;
}
