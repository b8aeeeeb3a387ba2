#pragma once
// Answering the questions LibreOffice asks while it loads a file.

#include <string>

namespace qm {

/// The button that refuses a dialog LibreOfficeKit announces, and the window
/// it belongs to.
struct DialogRefusal {
  unsigned long long windowId = 0;
  std::string button;  ///< "no", "cancel", "close" or "ok"
};

/// Reads the payload of a LOK_CALLBACK_JSDIALOG message. A dialog being
/// opened (`"jsontype": "dialog"`, no `"action"`) yields the window's id and
/// the first of its buttons that refuses ("no" before "cancel" before "close"
/// before "ok"): a renderer never repairs, recovers or confirms anything, and
/// a question nobody answers would hold the load for ever. Returns false for
/// any other message (a dialog being closed or updated, a payload without a
/// numeric window id or without any such button).
///
/// The payload is LibreOffice's own JSON, in which the dialog's object holds
/// "id" twice: an empty string first, its numeric window id last; every other
/// "id" is a string. So the window id is the last numeric "id" of the text.
bool ReadDialogRefusal(const std::string& payload, DialogRefusal* refusal);

}  // namespace qm
