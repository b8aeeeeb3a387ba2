#pragma once
// The image settings of the window's runs: what the command line's request
// options say, chosen in the image settings dialog and kept in the settings
// store.

#include "engine/export/ConversionRequest.h"

namespace qm {

/// Reads and writes the window's ConversionRequest, one store key a setting.
/// Nothing stored (a first start) is the request without options, so the
/// window converts as it always did until a setting is changed.
class ImageSettings {
 public:
  /// The stored request. A missing, damaged or out-of-range value gives that
  /// setting's default; settings that cannot go together (two sizes, a
  /// quality for PNG) keep the first and drop the rest, as the dialog would
  /// never have stored them.
  static ConversionRequest Load();

  /// Stores the settings of `request` that the dialog offers. Returns false
  /// when the store could not be written (a setting not stored keeps its
  /// old value).
  static bool Save(const ConversionRequest& request);
};

}  // namespace qm
