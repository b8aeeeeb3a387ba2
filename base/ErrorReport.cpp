#include "base/ErrorReport.h"

namespace qm {

std::string LocationTag(const std::string& module, const std::string& procedure,
                        const std::string& prefix) {
  return prefix + module + "." + procedure + " ";
}

std::string ErrorReportText(const std::string& description, const std::string& tag, int line) {
  return description + "\r\n" + tag + "at line " + std::to_string(line) + "\r\r" +
         "Please email screenshot of this message to " + kSupportAddress;
}

void ShowErrorReport(Ui& ui, const std::string& description, const std::string& tag, int line,
                     bool consequence) {
  ui.Report(ErrorReportText(description, tag, line), consequence);
}

}  // namespace qm
