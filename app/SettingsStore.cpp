#include "app/SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

#include "base/Error.h"

namespace qm {

namespace {

constexpr const char* kApplication = "Veltrano";
constexpr const char* kSection = "Quillmere";

QString Key(const std::string& key) {
  return QString::fromUtf8(kSection) + "/" + QString::fromStdString(key);
}

/// A stored value as text. A hand-written value with commas reads as a list
/// in the INI format; its parts are joined again, so the text comes back.
std::string TextOf(const QVariant& value) {
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(",").toStdString();
  return value.toString().toStdString();
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

/// The text as a number, when the whole of it (blanks aside) is one.
bool ReadNumber(const std::string& text, double* number) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *number = std::strtod(trimmed.c_str(), &end);
  return errno == 0 && end == trimmed.c_str() + trimmed.size() && std::isfinite(*number);
}

/// Store files found damaged in this process. Qt parses a file once and
/// shares the parse, reporting the damage only to the first reader; every
/// later read of such a file must give its default too, until a write has
/// made the file sound.
std::set<std::string>& DamagedFiles() {
  static std::set<std::string> files;
  return files;
}

std::string Lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::string SettingsStore::FilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
         "/" + kApplication + "/" + kApplication + ".conf";
}

std::string SettingsStore::GetSetting(const std::string& key, const std::string& defaultText) {
  const std::string path = FilePath();
  if (DamagedFiles().count(path) != 0) return defaultText;
  QSettings store(QString::fromStdString(path), QSettings::IniFormat);
  // Read first: QSettings parses the file on first use.
  const QVariant value = store.value(Key(key));
  if (store.status() == QSettings::FormatError) DamagedFiles().insert(path);
  if (store.status() != QSettings::NoError || !value.isValid()) return defaultText;
  return TextOf(value);
}

bool SettingsStore::SaveSetting(const std::string& key, const std::string& value) {
  const std::string path = FilePath();
  QSettings store(QString::fromStdString(path), QSettings::IniFormat);
  // Read first: QSettings parses the file on first use.
  (void)store.contains(Key(key));
  // A damaged file gave every key its default since the start: it is
  // replaced by the values in use, not written back with what could be
  // parsed of it (values the person never saw would come back at the next
  // start).
  if (DamagedFiles().count(path) != 0 || store.status() == QSettings::FormatError) store.clear();
  store.setValue(Key(key), QString::fromStdString(value));
  store.sync();
  // Only a file that could not be written loses the value.
  if (store.status() == QSettings::AccessError) return false;
  DamagedFiles().erase(path);
  return true;
}

std::string TruthText(bool value) { return value ? "True" : "False"; }

bool TruthFromText(const std::string& text) {
  const std::string word = Lowered(Trimmed(text));
  if (word == "true") return true;
  if (word == "false") return false;
  double number = 0;
  if (ReadNumber(text, &number)) return number != 0;
  throw Error("Type mismatch: the saved option \"" + text + "\" is not True, False or a number");
}

short ComboIndexFromText(const std::string& text) {
  double number = 0;
  if (!ReadNumber(text, &number))
    throw Error("Type mismatch: the saved save mode \"" + text + "\" is not a number");
  const double rounded = std::nearbyint(number);  // halves to even, as the store's numbers convert
  if (rounded < -1 || rounded > 4)
    throw Error("Invalid property value: the saved save mode " + Trimmed(text) +
                " is not an entry of the list (-1 to 4)");
  return static_cast<short>(rounded);
}

}  // namespace qm
