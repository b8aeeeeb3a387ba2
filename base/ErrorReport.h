#pragma once
// The standard error report shown when a numbered step fails.

#include <string>

#include "base/Ui.h"

namespace qm {

/// Tag prefix of ordinary procedures.
inline constexpr const char* kTessalyTagPrefix = "in Tessaly2021/08/31.";
/// Tag prefix of the folder scan.
inline constexpr const char* kBrindleTagPrefix = "in Brindle2021/08/31.";
/// Where people send a screenshot of a report.
inline constexpr const char* kSupportAddress = "support@quillmere.org";
/// Title of every error report box.
inline constexpr const char* kErrorReportTitle = "Application Error";

/// Location tag: prefix + module + "." + procedure + " ".
std::string LocationTag(const std::string& module, const std::string& procedure,
                        const std::string& prefix = kTessalyTagPrefix);

/// The report's exact text: description, CR LF, tag, "at line N", CR CR,
/// "Please email screenshot of this message to " + support address.
std::string ErrorReportText(const std::string& description, const std::string& tag, int line);

/// Shows the report through `ui` (Ui::Report: a box with the warning icon,
/// title "Application Error", OK); `consequence` marks a report that only
/// follows from an earlier one of the same file.
void ShowErrorReport(Ui& ui, const std::string& description, const std::string& tag, int line,
                     bool consequence = false);

}  // namespace qm
