#pragma once
// The look the window and its dialog share: fonts, the designed white
// background, the system colours of the skin, the hand and drag pointers,
// the icon.

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <optional>
#include <string>

#include "base/Ui.h"

class QWidget;

namespace qm {

/// Arial 9 pt bold (Liberation Sans here, metric-compatible): the windows' font.
QFont WindowFont();

/// Arial 11.25 pt bold: the push buttons' captions.
QFont ButtonFont();

/// Gives `widget` its designed white background.
void UseWhiteBackground(QWidget& widget);

/// UseSystemColors: `window` and its option buttons, check boxes, frames and
/// labels take the system button-face colour instead of their designed white.
void UseSystemColors(QWidget& window);

/// The pointer in `path` (a Windows .cur file, hot spot kept); nothing when
/// the file cannot be read as one.
std::optional<QCursor> LoadCursorFile(const std::string& path);

/// The pointer drawn in the icon file at `path` (a Windows .ico), pointing
/// with its top-left corner: an icon carries no hot spot, and the drag
/// pointer's drawing starts there. Nothing when the file cannot be read as
/// an icon (missing, damaged, or no icon reader in this Qt).
std::optional<QCursor> LoadIconPointer(const std::string& path);

/// The list's pointer while a row is dragged: drag.ico among the data files,
/// or Qt's closed hand when that file cannot be read, so a drag still shows.
QCursor DragPointer();

/// The cursor that shows `pointer`: the hourglass for Busy, `hand` for
/// Custom when it was loaded, the arrow otherwise.
QCursor CursorFor(Pointer pointer, const std::optional<QCursor>& hand);

/// The program's icon: quillmere.png among the data files (an empty icon
/// when it is not there).
QIcon ProgramIcon();

}  // namespace qm
