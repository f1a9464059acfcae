// The error trail shared by every procedure of the control.
#include "error_trail.h"

#include <exception>

namespace kelvane {

winplat::AutomationError TrailError(std::string_view name) {
  std::string source = kLibraryName;
  std::string description;
  try {
    throw;
  } catch (const winplat::AutomationError& e) {
    if (!e.Source().empty()) source = e.Source();
    description = e.Description();
  } catch (const winplat::NumericError& e) {
    description = winplat::ErrorText(e.Number());
  } catch (const std::bad_alloc&) {
    description = winplat::ErrorText(7);
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
    description = winplat::ErrorText(5);
  }
  description += "\r\n ->  ";
  description += name;
  description += ".";
  return winplat::AutomationError(kControlError, source, description);
}

winplat::AutomationError ProcedureError(std::string_view procedure, std::string description) {
  return winplat::AutomationError(kControlError, std::string(procedure), std::move(description));
}

}  // namespace kelvane
