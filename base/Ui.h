#pragma once
// The one way the core talks to a person. The window, the command-line tool
// and the tests each implement it; the core never knows which one it has.

#include <optional>
#include <string>

namespace qm {

/// Buttons of a message box.
enum class MessageButtons { Ok, YesNo };

/// The button a person pressed. An OK box always answers Ok.
enum class MessageAnswer { Ok, Yes, No };

/// Icon of a message box: plain messages carry none, error reports the warning.
enum class MessageIcon { None, Warning };

/// The main window's mouse pointer. The numbers are the stored pointer values.
enum class Pointer { Default = 0, Busy = 11, Custom = 99 };

/// The stitching direction chosen in the Image Option choice:
/// 1 = top to bottom, anything else left to right.
enum StitchDirectionValue : short { kTopToBottom = 1, kLeftToRight = 2 };

/// Abstract front end. Every call is made on the thread that runs the core.
class Ui {
 public:
  virtual ~Ui() = default;

  /// Shows a modal message box and returns the button pressed.
  virtual MessageAnswer Message(const std::string& text, MessageButtons buttons,
                                MessageIcon icon, const std::string& title) = 0;

  /// Asks for one line of text: what was typed (perhaps empty), or nullopt
  /// when the person gave the question up (Cancel, Escape, the close box).
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) = 0;

  /// The Image Option choice: returns 1 (top to bottom) or 2 (left to right).
  virtual short ChooseStitchDirection() = 0;

  /// Sets the progress bar's value (0..100).
  virtual void SetProgressValue(int value) = 0;

  /// Sets the progress bar's caption.
  virtual void SetProgressText(const std::string& text) = 0;

  /// Sets the window's pointer.
  virtual void SetPointer(Pointer pointer) = 0;

  /// The window's pointer now; Busy means the window is busy.
  virtual Pointer CurrentPointer() const = 0;

  /// Lets the front end handle pending input (the message loop yield).
  virtual void Yield() = 0;

  /// Shows a standard error report (ErrorReportText). By default it is a
  /// message box with the warning icon and the title "Application Error",
  /// whether or not it is a `consequence` (one that only follows from an
  /// earlier report of the same file, as the steps after a failed open).
  virtual void Report(const std::string& text, bool consequence);
  /// A run is over: by default the plain message `doneText` ("Done.") says
  /// so. A front end with a summary of its own (the terminal) says nothing.
  virtual void RunEnded(const std::string& doneText);
};

/// Plain message: no icon, caption ApplicationTitle().
MessageAnswer ShowPlainMessage(Ui& ui, const std::string& text,
                               MessageButtons buttons = MessageButtons::Ok);

}  // namespace qm
