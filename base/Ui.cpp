#include "base/Ui.h"

#include "base/ApplicationTitle.h"

namespace qm {

MessageAnswer ShowPlainMessage(Ui& ui, const std::string& text, MessageButtons buttons) {
  return ui.Message(text, buttons, MessageIcon::None, ApplicationTitle());
}

}  // namespace qm
