#include "base/ErrorTrap.h"

#include "base/Error.h"

namespace qm {

void ErrorTrap::Report(int line, const std::string& description, bool consequence) {
  ++reports_;
  ShowErrorReport(ui_, description, tag_, line, consequence);
}

void ErrorTrap::Report(int line, std::exception_ptr error) {
  std::string description;
  bool consequence = false;
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    description = "Out of memory";
  } catch (const Error& e) {
    description = e.what();
    consequence = e.IsConsequence();
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
    description = "Unexpected error";
  }
  Report(line, description, consequence);
}

}  // namespace qm
