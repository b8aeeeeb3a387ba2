#pragma once
// The window's progress bar, whose caption is shown exactly as given.

#include <QProgressBar>
#include <QString>

namespace qm {

/// A progress bar that shows its caption as it is: QProgressBar reads its
/// text as a format and puts numbers for "%p", "%v" and "%m", which a file
/// name may hold ("100%p.pptx"), and has no way to escape a "%".
class CaptionBar : public QProgressBar {
 public:
  explicit CaptionBar(QWidget* parent) : QProgressBar(parent) {}

  /// Shows `caption`, every character as it stands.
  void SetCaption(const QString& caption) {
    caption_ = caption;
    update();
  }
  QString text() const override { return caption_; }

 private:
  QString caption_;
};

}  // namespace qm
