#pragma once
// The window's image settings: the format, size and slides of the images a
// run writes, the choices the command line offers as options.

#include <QDialog>

#include "engine/export/ConversionRequest.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace qm {

/// A modal dialog that shows `request` and, when OK is pressed with sound
/// values, gives the request it was changed to (Chosen()). A slide list that
/// does not read keeps the dialog open with a message naming what is wrong.
class ImageSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  ImageSettingsDialog(const ConversionRequest& request, QWidget* parent);

  /// The request as the controls set it: `request` with the dialog's
  /// settings replaced.
  ConversionRequest Chosen() const { return chosen_; }

  /// What the size choice offers, in its order.
  enum SizeKind : int { kSlideSize = 0, kResolution = 1, kLongSide = 2, kPixels = 3 };

 private:
  void accept() override;
  /// Enables the controls that the type and the size choice make matter.
  void UpdateEnabled();

  ConversionRequest chosen_;
  QComboBox* type_;
  QSpinBox* quality_;
  QComboBox* sizeKind_;
  QSpinBox* size_;
  QSpinBox* height_;
  QLineEdit* slides_;
  QCheckBox* skipHidden_;
  QCheckBox* padNumbers_;
  QCheckBox* transparent_;
};

}  // namespace qm
