#include "app/ImageSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

#include <string>

namespace qm {

namespace {

QSpinBox* MakeSpin(QWidget* parent, const char* name, int lowest, int highest, int value) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(lowest, highest);
  spin->setValue(value);
  return spin;
}

}  // namespace

ImageSettingsDialog::ImageSettingsDialog(const ConversionRequest& request, QWidget* parent)
    : QDialog(parent), chosen_(request) {
  setObjectName("ImageSettings");
  setWindowTitle("Image Settings");
  auto* form = new QFormLayout(this);

  type_ = new QComboBox(this);
  type_->setObjectName("Type");
  type_->addItems({"PNG", "JPEG", "WebP"});
  type_->setCurrentIndex(static_cast<int>(request.type));
  form->addRow("Image type (a joined image is always PNG):", type_);
  quality_ = MakeSpin(this, "Quality", 1, 100, request.EncoderQuality());
  form->addRow("Quality (JPEG and WebP):", quality_);
  transparent_ = new QCheckBox("Transparent background (PNG and WebP)", this);
  transparent_->setObjectName("Transparent");
  transparent_->setChecked(request.transparent);
  form->addRow("", transparent_);

  sizeKind_ = new QComboBox(this);
  sizeKind_->setObjectName("SizeKind");
  sizeKind_->addItems({"The slide size at 96 pixels to the inch", "Pixels to the inch",
                       "The long side in pixels", "Width and height in pixels"});
  const SizeKind kind = request.dpi > 0       ? kResolution
                        : request.scaleTo > 0 ? kLongSide
                        : request.width > 0 || request.height > 0 ? kPixels
                                                                  : kSlideSize;
  sizeKind_->setCurrentIndex(kind);
  form->addRow("Size:", sizeKind_);
  const int first = kind == kResolution ? request.dpi
                    : kind == kLongSide ? request.scaleTo
                    : kind == kPixels   ? request.width
                                        : 0;
  size_ = MakeSpin(this, "SizeValue", 0, kMaxSidePixels, first);
  height_ = MakeSpin(this, "HeightValue", 0, kMaxSidePixels, request.height);
  height_->setSpecialValueText("aspect kept");
  auto* sizes = new QHBoxLayout;
  sizes->addWidget(size_);
  sizes->addWidget(height_);
  form->addRow("", sizes);

  slides_ = new QLineEdit(QString::fromStdString(request.SlidesText()), this);
  slides_->setObjectName("Slides");
  slides_->setPlaceholderText("every slide, or a list such as 1,3-5,8-");
  form->addRow("Slides (each slide as its own image):", slides_);
  skipHidden_ = new QCheckBox("Leave out the slides the slide show hides", this);
  skipHidden_->setObjectName("SkipHidden");
  skipHidden_->setChecked(request.skipHidden);
  form->addRow("", skipHidden_);
  padNumbers_ = new QCheckBox("Number the images with leading zeros (Slide007)", this);
  padNumbers_->setObjectName("PadNumbers");
  padNumbers_->setChecked(request.padNumbers);
  form->addRow("", padNumbers_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ImageSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ImageSettingsDialog::reject);
  connect(type_, &QComboBox::currentIndexChanged, this, &ImageSettingsDialog::UpdateEnabled);
  connect(sizeKind_, &QComboBox::currentIndexChanged, this, &ImageSettingsDialog::UpdateEnabled);
  UpdateEnabled();
}

void ImageSettingsDialog::UpdateEnabled() {
  quality_->setEnabled(type_->currentIndex() != static_cast<int>(ImageType::kPng));
  transparent_->setEnabled(type_->currentIndex() != static_cast<int>(ImageType::kJpeg));
  const int kind = sizeKind_->currentIndex();
  size_->setEnabled(kind != kSlideSize);
  size_->setMinimum(kind == kSlideSize || kind == kPixels ? 0 : 1);
  size_->setMaximum(kind == kResolution ? kMaxDpi : kMaxSidePixels);
  size_->setSpecialValueText(kind == kPixels ? "aspect kept" : "");
  height_->setVisible(kind == kPixels);
}

void ImageSettingsDialog::accept() {
  ConversionRequest chosen = chosen_;
  std::string error;
  const std::string text = slides_->text().trimmed().toStdString();
  if (text.empty()) {
    chosen.slides.clear();
  } else if (const auto slides = ParseSlideList(text, &error)) {
    chosen.slides = *slides;
  } else {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
    return;
  }
  const int kind = sizeKind_->currentIndex();
  if (kind == kPixels && size_->value() == 0 && height_->value() == 0) {
    QMessageBox::warning(this, windowTitle(), "Give a width, a height or both.");
    return;
  }
  chosen.type = static_cast<ImageType>(type_->currentIndex());
  // 90 is what no quality means: kept as none, so PNG's "no quality" holds.
  chosen.quality = chosen.type == ImageType::kPng || quality_->value() == 90 ? 0 : quality_->value();
  chosen.dpi = kind == kResolution ? size_->value() : 0;
  chosen.scaleTo = kind == kLongSide ? size_->value() : 0;
  chosen.width = kind == kPixels ? size_->value() : 0;
  chosen.height = kind == kPixels ? height_->value() : 0;
  chosen.skipHidden = skipHidden_->isChecked();
  chosen.padNumbers = padNumbers_->isChecked();
  chosen.transparent = transparent_->isEnabled() && transparent_->isChecked();
  chosen_ = chosen;
  QDialog::accept();
}

}  // namespace qm
