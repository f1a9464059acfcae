// The error trail shared by every procedure of the control.
#include "error_trail.h"

#include <exception>

namespace kelvane {

std::string CurrentErrorText() {
  try {
    throw;
  } catch (const winplat::AutomationError& e) {
    return e.Description();
  } catch (const winplat::NumericError& e) {
    return winplat::ErrorText(e.Number());
  } catch (const std::bad_alloc&) {
    return winplat::ErrorText(7);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return winplat::ErrorText(5);
  }
}

winplat::AutomationError TrailError(std::string_view name) {
  std::string source = kLibraryName;
  try {
    throw;
  } catch (const winplat::AutomationError& e) {
    if (!e.Source().empty()) source = e.Source();
  } catch (...) {
  }
  std::string description = CurrentErrorText();
  description += "\r\n ->  ";
  description += name;
  description += ".";
  return winplat::AutomationError(kControlError, source, description);
}

winplat::AutomationError ProcedureError(std::string_view procedure, std::string description) {
  return winplat::AutomationError(kControlError, std::string(procedure), std::move(description));
}

}  // namespace kelvane
