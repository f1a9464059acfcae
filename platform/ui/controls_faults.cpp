// Faults inside event handlers: stopped at the handler, shown once, recorded.
#include <exception>
#include <string>
#include <vector>

#include "winplat/controls/control.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"

namespace winplat::controls {
namespace {

std::vector<std::string>& Faults() {
  static std::vector<std::string> faults;
  return faults;
}

}  // namespace

void RaiseInvalidValue() { throw ControlError(kErrInvalidPropertyValue, "Invalid property value"); }

std::string FaultText(std::string_view where, const std::exception* error) {
  std::string text;
  if (const auto* c = dynamic_cast<const ControlError*>(error)) {
    text = "Run-time error '" + std::to_string(c->Number()) + "':\n\n" + c->what();
  } else if (const auto* n = dynamic_cast<const NumericError*>(error)) {
    text = "Run-time error '" + std::to_string(n->Number()) + "':\n\n" + n->what();
  } else if (error) {
    text = std::string("Run-time error:\n\n") + error->what();
  } else {
    text = "Run-time error:\n\nUnknown fault";
  }
  if (!where.empty()) text += "\n\nin " + std::string(where);
  return text;
}

bool RunHandler(std::string_view where, const std::function<void()>& body, std::string* repeatKey) {
  std::string text;
  try {
    body();
    if (repeatKey) repeatKey->clear();
    return true;
  } catch (const std::exception& e) {
    text = FaultText(where, &e);
  } catch (...) {
    text = FaultText(where, nullptr);
  }
  Faults().push_back(text);
  if (repeatKey) {
    if (*repeatKey == text) return false;  // the same fault again: shown already
    *repeatKey = text;
  }
  // The box itself runs a modal loop; a fault in what runs there is handled there.
  MessageBox(0, text, ProgramTitle(), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

std::vector<std::string> HandlerFaults() { return Faults(); }
void ClearHandlerFaults() { Faults().clear(); }

}  // namespace winplat::controls
