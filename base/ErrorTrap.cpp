#include "base/ErrorTrap.h"

namespace qm {

void ErrorTrap::Report(int line, const std::string& description) {
  ++reports_;
  ShowErrorReport(ui_, description, tag_, line);
}

void ErrorTrap::Report(int line, std::exception_ptr error) {
  std::string description;
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    description = "Out of memory";
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
    description = "Unexpected error";
  }
  Report(line, description);
}

}  // namespace qm
