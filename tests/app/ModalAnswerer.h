#pragma once
// Answers the window's modal boxes the way a person would, and records what
// they showed: message boxes, the error report, the X question, the Image
// Option dialog and the folder browser.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;

namespace qm::test {

/// One box as it was shown.
struct ShownBox {
  QString kind;   ///< "MessageBox", "ErrorReport", "InputBox", "Form2", "BrowseForFolder", "AddFiles"
  QString title;  ///< its caption
  QString text;   ///< the text exactly as the program gave it (CR LF kept)
  bool warningIcon = false;
  QString folder;       ///< a file dialog's folder when it opened
  QString preselected;  ///< a file dialog's first selected path when it opened
  QStringList filters;  ///< a file dialog's name filters
  bool multiSelect = false;  ///< a file dialog takes several files
};

/// The window's report box on screen, if one is: reports wait beside the
/// window during a run rather than as modal boxes.
QWidget* ShownReport();

/// The box a person would answer now: the modal one, else a shown report.
QWidget* BoxToAnswer();

/// Handles events until `condition` holds, for at most `milliseconds`;
/// whether it held. (Qt's QTRY_ macros warn under -Wconversion with Qt 6.8.)
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

class ModalAnswerer : public QObject {
  Q_OBJECT

 public:
  /// Starts watching at once; stops when destroyed.
  ModalAnswerer();

  /// The answer typed into the X question.
  QString slideAnswer = "3";
  /// Pick "Left to Right" in the Image Option dialog before OK.
  bool leftToRight = false;
  /// Close the Image Option dialog with its close box instead of OK.
  bool closeImageOption = false;
  /// The folder the folder browser chooses; empty cancels it.
  QString browseTo;
  /// The names the multi-file dialog chooses, in this order, in `pickFolder`;
  /// none cancels it.
  QStringList pickFiles;
  QString pickFolder;
  /// Answer Yes/No questions with No.
  bool answerNo = false;

  /// Every box seen so far, in order.
  const std::vector<ShownBox>& Shown() const { return shown_; }
  /// The texts of the boxes of `kind`.
  QStringList Texts(const QString& kind) const;

 private:
  void Answer();

  QTimer timer_;
  QPointer<QWidget> last_;
  std::vector<ShownBox> shown_;
};

}  // namespace qm::test
