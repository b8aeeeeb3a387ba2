// An untrusted picture file read by each of the program's readers: the first
// byte picks BMP, PNG or JPEG, the rest is the file.

#include <cstddef>
#include <cstdint>

#include "imaging/Bitmap.h"
#include "imaging/codecs/BmpFile.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/PngFile.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const qm::fuzz::InputFile file(data + 1, size - 1);
  qm::Bitmap bitmap;
  switch (data[0] % 3) {
    case 0:
      (void)qm::ReadBmpFile(file.Path(), &bitmap);
      break;
    case 1:
      (void)qm::ReadPngFile(file.Path(), &bitmap);
      break;
    default:
      (void)qm::ReadJpegFile(file.Path(), &bitmap);
      break;
  }
  // What a reader returns must be what it says it is.
  if (!bitmap.Empty() && !bitmap.IsConsistent()) __builtin_trap();
  return 0;
}
