#pragma once
// The operator command table: each command's name, argument shape, one line of
// help and handler. The script reads a line, splits it into words and runs the
// command the first word names.
#include <ostream>
#include <string>
#include <vector>

#include "winplat/controls/operator.h"
#include "winplat/text.h"

namespace winplat::controls::detail {

struct Token {
  std::string text;
  bool quoted = false;
};

// One command line being run, with what its handler needs of the script.
struct CommandLine {
  const std::vector<Token>& t;
  std::string cmd;  // the command's name in lower case
  std::string* error;
  MessageBoxScript* boxes;
  bool* quit;
  std::ostream& log;
  int lineNumber;

  bool Fail(const std::string& why) const {
    *error = why;
    return false;
  }
  bool Need(std::size_t n) const { return t.size() >= n; }
  // The control named by word `at`; null with the reason in *error.
  Control* ControlAt(std::size_t at) const;
  // Word `at` as a whole number; false with the reason in *error.
  bool Number(std::size_t at, long long* value) const;
  // `c` as a control of kind T; null (with the reason) when it is another kind.
  template <class T>
  T* As(Control* c, const char* what) const {
    if (!c) return nullptr;
    T* typed = dynamic_cast<T*>(c);
    if (!typed) *error = c->DisplayName() + " is not " + what;
    return typed;
  }
  // Whether operator input reaches `c`; when not, the log says why and the
  // line counts as run (a person's click there does nothing either).
  bool Reaches(const Control& c) const;
};

struct OperatorCommand {
  const char* name;
  const char* arguments;
  const char* help;
  bool (*run)(CommandLine& line);
};

const std::vector<OperatorCommand>& OperatorCommands();


}  // namespace winplat::controls::detail
