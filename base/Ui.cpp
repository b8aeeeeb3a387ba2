#include "base/Ui.h"

#include "base/ApplicationTitle.h"
#include "base/ErrorReport.h"

namespace qm {

MessageAnswer ShowPlainMessage(Ui& ui, const std::string& text, MessageButtons buttons) {
  return ui.Message(text, buttons, MessageIcon::None, ApplicationTitle());
}

void Ui::Report(const std::string& text, bool) {
  Message(text, MessageButtons::Ok, MessageIcon::Warning, kErrorReportTitle);
}

void Ui::RunEnded(const std::string& doneText) { ShowPlainMessage(*this, doneText); }

}  // namespace qm
