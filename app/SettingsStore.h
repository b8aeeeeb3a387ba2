#pragma once
// The per-user settings store: one text value per key under application
// "Veltrano", section "Quillmere", kept in one file in the XDG config folder
// ($XDG_CONFIG_HOME/Veltrano/Veltrano.conf). Every value is read at the
// moment it is needed and written at the moment it changes; nothing is held
// in memory between calls.

#include <string>

namespace qm {

class SettingsStore {
 public:
  /// The keys, spelled as they are stored.
  static constexpr const char* kCombo = "Combo";
  static constexpr const char* kFolder = "Folder";
  static constexpr const char* kOption1 = "Option1";
  static constexpr const char* kOption2 = "Option2";
  static constexpr const char* kExtension = "Extension";
  static constexpr const char* kLastFolder = "LastFolder";
  /// "True" lets decks make the renderer fetch linked pictures; set by hand,
  /// never written by the program (default "False").
  static constexpr const char* kAllowLinks = "AllowLinks";

  /// The stored text of `key`, or `defaultText` when the key is missing. A
  /// key stored with empty text gives the empty text. A store file that
  /// cannot be read or parsed counts as empty: every key gives its default,
  /// so a damaged file never stops the program.
  static std::string GetSetting(const std::string& key, const std::string& defaultText);

  /// Stores `value` under `key` at once (atomically: the file is replaced
  /// whole). A damaged file is replaced by a sound one holding this value
  /// alone: every other key gave its default while it was damaged, and goes
  /// on doing so. Returns false when the store could not be written (a
  /// folder without write permission); only this value is lost then, and
  /// nothing is shown.
  static bool SaveSetting(const std::string& key, const std::string& value);

  /// The file the store lives in.
  static std::string FilePath();
};

/// "True" or "False", whatever the locale.
std::string TruthText(bool value);

/// Reads a truth value: "True"/"False" in any letter case, or a number (0 is
/// false, any other number true). Throws qm::Error for any other text.
bool TruthFromText(const std::string& text);

/// Reads the saved selector index as a 16-bit integer from -1 (nothing
/// selected) to 4. Throws qm::Error for text that is not a whole number in
/// that range.
short ComboIndexFromText(const std::string& text);

}  // namespace qm
