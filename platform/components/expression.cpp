// The scanner's expression evaluator: recursive descent over the text, from the
// loosest operator ("|") to the tightest (unary minus). Syntax in FORMATS.md.
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>

#include "winplat/components/scanner.h"

namespace winplat {
namespace {

constexpr int MaxDepth = 200;  // nesting of parentheses and unary signs

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A variable is one letter or one of the private name characters (control
// codes other than tab, line feed and carriage return) that hosts put in place
// of letters.
bool IsVariable(char c) {
  auto u = static_cast<unsigned char>(c);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return u >= 0x01 && u < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

std::string Describe(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u >= 0x7F) {
    static const char* hex = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[u >> 4] + hex[u & 15];
  }
  return std::string("\"") + c + "\"";
}

class Parser {
 public:
  Parser(std::string_view text, const std::function<double(char)>& variable) : text_(text), variable_(variable) {}

  double Run() {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("empty expression");
    double v = Or();
    SkipBlanks();
    if (pos_ < text_.size()) Fail("unexpected " + Describe(text_[pos_]));
    return v;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw ScannerError("expression \"" + std::string(text_) + "\": " + why + " at position " +
                       std::to_string(pos_ + 1));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  bool Take(std::string_view op) {
    SkipBlanks();
    if (text_.substr(pos_, op.size()) != op) return false;
    pos_ += op.size();
    return true;
  }

  double Check(double v) const {
    if (!std::isfinite(v)) Fail("overflow");
    return v;
  }

  static double Truth(bool b) { return b ? -1.0 : 0.0; }

  double Or() {
    double v = And();
    while (Take("|")) {
      double r = And();
      v = Truth(v != 0 || r != 0);
    }
    return v;
  }

  double And() {
    double v = Compare();
    while (Take("&")) {
      double r = Compare();
      v = Truth(v != 0 && r != 0);
    }
    return v;
  }

  double Compare() {
    double v = Sum();
    for (;;) {
      if (Take("<=")) {
        v = Truth(v <= Sum());
      } else if (Take(">=")) {
        v = Truth(v >= Sum());
      } else if (Take("<>")) {
        v = Truth(v != Sum());
      } else if (Take("<")) {
        v = Truth(v < Sum());
      } else if (Take(">")) {
        v = Truth(v > Sum());
      } else if (Take("=")) {
        v = Truth(v == Sum());
      } else {
        return v;
      }
    }
  }

  double Sum() {
    double v = Product();
    for (;;) {
      if (Take("+"))
        v = Check(v + Product());
      else if (Take("-"))
        v = Check(v - Product());
      else
        return v;
    }
  }

  double Product() {
    double v = Unary();
    for (;;) {
      if (Take("*")) {
        v = Check(v * Unary());
      } else if (Take("/")) {
        double d = Unary();
        if (d == 0) Fail("division by zero");
        v = Check(v / d);
      } else {
        return v;
      }
    }
  }

  double Unary() {
    struct Depth {
      int& d;
      explicit Depth(int& x) : d(x) { ++d; }
      ~Depth() { --d; }
    } depth(depth_);
    if (depth_ > MaxDepth) Fail("expression nested too deeply");
    if (Take("-")) return -Unary();
    if (Take("+")) return Unary();
    return Primary();
  }

  double Primary() {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("operand expected at the end");
    char c = text_[pos_];
    if (c == '(') {
      ++pos_;
      double v = Or();
      if (!Take(")")) Fail("\")\" expected");
      return v;
    }
    if (IsDigit(c) || c == '.') return Number();
    if (IsVariable(c)) {
      ++pos_;
      double v = variable_(c);
      if (pos_ < text_.size() && (IsVariable(text_[pos_]) || IsDigit(text_[pos_]) || text_[pos_] == '.'))
        Fail("operator expected");
      return Check(v);
    }
    Fail("operand expected, found " + Describe(c));
  }

  double Number() {
    std::size_t begin = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    std::string digits(text_.substr(begin, pos_ - begin));
    if (digits == ".") Fail("number expected");
    if (pos_ < text_.size() && (IsVariable(text_[pos_]) || text_[pos_] == '.')) Fail("operator expected");
    return Check(std::strtod(digits.c_str(), nullptr));
  }

  std::string_view text_;
  const std::function<double(char)>& variable_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

double EvaluateScannerExpression(std::string_view text, const std::function<double(char name)>& variable) {
  return Parser(text, variable).Run();
}

}  // namespace winplat
