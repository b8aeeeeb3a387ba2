#pragma once
// The checks that guard the conversion engine: is a presentation application
// installed, and is one already running when a batch run starts.
// (Modules IsInstalled: CheckPowerPointInstalled; Powerpoint1: the others.)

#include <string>
#include <vector>

#include "engine/adapter/ApplicationFactory.h"
#include "base/Ui.h"

namespace qm {

/// The message shown when no presentation application can be created.
inline constexpr const char* kNotInstalledMessage =
    "PowerPoint is not installed on this computer. You need to have it installed to use this "
    "software without error.";

/// The Yes/No question asked when a presentation application is running.
inline constexpr const char* kPowerPointOpenQuestion =
    "PowerPoint may be open. It is recommended that you close PowerPoint first.\r"
    "Use Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\n"
    "Would you like to proceed anyway?";

/// Creates the application object for "PowerPoint.Application" and releases
/// it at once, without Quit and without a message: returns true. When the
/// creation fails (or gives no object), shows kNotInstalledMessage as a plain
/// OK message through `ui`, with a second line (after CR LF) that says what
/// is missing (the Debian package libreoffice-impress-nogui, or the render
/// worker executable; else why the creation failed), writes the same to
/// standard error and returns false: the caller must then end the program at once, without
/// its normal shutdown.
bool CheckPowerPointInstalled(ApplicationFactory& factory, Ui& ui);

/// What the program cannot render without, in sentences that name the Debian
/// package or file to install ("LibreOffice Impress is missing (...); install
/// the Debian package libreoffice-impress-nogui."); empty when LibreOffice's
/// program folder and the render worker are in place. Starts nothing, so a
/// front end can check before any work begins.
std::vector<std::string> MissingRendererParts();

/// True when an already running instance of "PowerPoint.Application" can be
/// attached to and its Name() is exactly "Microsoft PowerPoint". Any failure
/// means false; nothing is shown and no instance is started.
bool IsPowerPointRunning(ApplicationFactory& factory);

/// When IsPowerPointRunning(), asks kPowerPointOpenQuestion (Yes/No, plain
/// message) and returns true for No (the user chose not to proceed), false
/// for Yes. Returns false without asking when nothing runs.
bool WarnIfPowerPointOpen(ApplicationFactory& factory, Ui& ui);

}  // namespace qm
