// The G-code line interpreter: line preparation, pattern lines, modal words,
// dispatch and the common end of a line; and the entry points of a load.
#include "toolpath/interpreter.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string_view>

#include "toolpath/block_words.h"
#include "toolpath/expressions.h"
#include "toolpath/motion_words.h"
#include "toolpath/standin_codes.h"
#include "winplat/components/routines.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace fieldray::toolpath {
namespace {

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SetLine(LineScan& line, const std::string& text) { line.Ctx.GcodeAwk.SetText(text); }
const std::string& LineText(LineScan& line) { return line.Ctx.GcodeAwk.Text(); }

// Val of field i at separator `fs`; a number beyond any range reads as 0.
double FieldValue(LineScan& line, std::string_view fs, std::int32_t i) {
  line.Ctx.GcodeAwk.SetFS(fs);
  try {
    return winplat::Val(line.Ctx.GcodeAwk.Field(i));
  } catch (const winplat::NumericError&) {
    AddDiagnostic(line.Ctx, std::string(fs) + " word out of range");
    return 0;
  }
}

// Pattern line "*Tn=x R0=a R1=b ...": row n of the pattern table.
void ReadPatternLine(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;
  std::int32_t n = CheckedLong(line, FieldValue(line, "T", 2), "pattern T");
  if (n < 0 || n >= 12) {
    AddDiagnostic(line.Ctx, "pattern line T" + std::to_string(n) + " outside 0 to 11: line ignored");
    return;
  }
  auto& row = state.PatternTable[static_cast<std::size_t>(n)];
  row[0] = CheckedLong(line, FieldValue(line, "=", 2) * state.GcodeUnitFactor, "pattern T value");
  awk.SetFS("R");
  std::int32_t count = awk.FieldCount();
  for (std::int32_t i = 1; i <= count - 1; ++i) {
    std::string s = awk.Field(i + 1);
    if (s.empty()) continue;
    double mv = 0;
    try {
      mv = winplat::Val(s);
    } catch (const winplat::NumericError&) {
      mv = -1;
    }
    std::int32_t m = CheckedLong(line, mv, "pattern R");
    if (m < 0 || m > 4) {
      AddDiagnostic(line.Ctx, "pattern word R" + winplat::Trim(s) + " outside R0 to R4: word ignored");
      continue;
    }
    std::size_t eq = s.find('=');
    double v = 0;
    if (eq != std::string::npos) {
      try {
        v = winplat::Val(std::string_view(s).substr(eq + 1));
      } catch (const winplat::NumericError&) {
        AddDiagnostic(line.Ctx, "pattern value out of range");
      }
    }
    row[static_cast<std::size_t>(m) + 1] = CheckedLong(line, v * state.GcodeUnitFactor, "pattern R value");
  }
}

// Removes parameter words "Rnn=" other than the named ones, with their value
// up to the next blank or capital letter, so that no reader takes them for a
// radius.
std::string DropUnknownParameters(LineScan& line, std::string text) {
  for (std::size_t p = text.find('R'); p != std::string::npos; p = text.find('R', p)) {
    std::size_t q = p + 1;
    while (q < text.size() && IsDigit(text[q])) ++q;
    if (q == p + 1 || q >= text.size() || text[q] != '=') {
      ++p;
      continue;
    }
    std::size_t end = q + 1;
    while (end < text.size() && text[end] != ' ' && !IsCapital(text[end])) ++end;
    AddDiagnostic(line.Ctx, "parameter " + text.substr(p, q - p + 1) + " unknown: word ignored");
    text.erase(p, end - p);
  }
  return text;
}

// What the preparation pass notes of a line besides rewriting it.
struct LineFindings {
  bool LowerCase = false;   // a lower-case letter with a number after it: a word not read
  bool Expression = false;  // an "=": the words are looked at once it is evaluated
  std::string WordNote;     // the line's first word problem, "" when none
};

// Whether a lower-case letter followed by `next` would be a word if written in capitals.
bool LowerCaseWordFollows(char next) { return IsDigit(next) || next == '.' || next == '-' || next == '+'; }

// Whether `c` may follow a word's number: a blank, the next word's letter, a
// comment's parenthesis or the slash of an alternative corner.
bool EndsNumber(char c) {
  return c == ' ' || c == '\t' || IsCapital(c) || (c >= StandInR50 && c <= StandInD) || c == '(' || c == ')' ||
         c == '/';
}

// Where the number of the word whose letter stands at `at` ends, when the
// word is read other than written: at `at` + 1 for a letter without a number;
// at the character a number runs into when that is a letter or one that
// begins no word (block and program numbers, N and O, are labels, and a T
// word lists tools, "T1-3,6": not looked into). 0 when the word reads as written.
std::size_t MisreadWordEnd(const std::string& text, std::size_t at) {
  const std::size_t n = text.size();
  std::size_t j = at + 1;
  while (j < n && text[j] == ' ') ++j;
  if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
  const bool point = j < n && text[j] == '.';
  if (point) ++j;
  if (j >= n || !IsDigit(text[j])) return at + 1;
  const char letter = text[at];
  if (letter == 'N' || letter == 'O' || letter == 'T') return 0;
  while (j < n && IsDigit(text[j])) ++j;
  if (!point && j < n && text[j] == '.')
    for (++j; j < n && IsDigit(text[j]);) ++j;
  return j >= n || EndsNumber(text[j]) ? 0 : j;
}

// The note on a word MisreadWordEnd found: "X has no number, read as 0",
// "X12abc read as 12".
std::string MisreadWordNote(const std::string& text, std::size_t at, std::size_t numberEnd) {
  if (numberEnd == at + 1) return std::string(1, text[at]) + " has no number, read as 0";
  std::size_t number = at + 1;
  while (text[number] == ' ') ++number;
  const std::size_t end = std::min(text.find(' ', numberEnd), text.size());
  return text.substr(at, end - at) + " read as " + text.substr(number, numberEnd - number);
}

// The first word letter of a line that no number follows (text in
// parentheses is not looked into); 0 when every word has its number.
char NumberlessWord(const std::string& text) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth > 0 || !IsCapital(c)) continue;
    std::size_t j = i + 1;
    while (j < text.size() && text[j] == ' ') ++j;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && text[j] == '.') ++j;
    if (j < text.size() && IsDigit(text[j])) continue;
    return c;
  }
  return 0;
}

// Whether a line holds a lower-case letter with a number after it (outside
// parentheses and before a comment): a word the reader passes over.
bool HasLowerCaseWord(const std::string& text) {
  int depth = 0;
  for (std::size_t i = 0; i + 1 < text.size() && text[i] != ';'; ++i) {
    const char c = text[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth > 0 || c < 'a' || c > 'z') continue;
    if (LowerCaseWordFollows(text[i + 1])) return true;
  }
  return false;
}

// What the walk over a line does with a character: classes of a table, so
// that each character costs one look-up.
enum CharClass : unsigned char { PlainChar, CapitalChar, LowerChar, OpenChar, CloseChar, EqualsChar };
constexpr std::array<unsigned char, 256> CharClasses = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = CapitalChar;
  for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = LowerChar;
  table['('] = OpenChar;
  table[')'] = CloseChar;
  table['='] = EqualsChar;
  return table;
}();
// The characters a capital letter takes no blank after: a blank, and an
// operator, "(" or "=" inside an expression.
constexpr std::array<bool, 256> NoBlankAfter = [] {
  std::array<bool, 256> table{};
  for (char c : std::string_view(" +-*/<>=&|(")) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

// A blank in front of every capital letter, except after a blank and inside
// an expression (after an operator, "(" or "="). The same walk notes what
// `found` holds; a program-call line ("!") names variables, not words.
std::string SpaceWords(const std::string& text, LineFindings& found) {
  const std::size_t n = text.size();
  std::string out(2 * n, '\0');
  char* o = out.data();
  unsigned char previous = '\0';
  int depth = 0;
  bool words = n == 0 || text[0] != '!';  // still looking for the first misread word
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    switch (CharClasses[static_cast<unsigned char>(c)]) {
      case CapitalChar:
        if (depth == 0 && words) {
          if (const std::size_t end = MisreadWordEnd(text, i)) {
            found.WordNote = MisreadWordNote(text, i, end);
            words = false;
          }
        }
        if (!NoBlankAfter[previous]) *o++ = ' ';
        break;
      case LowerChar:
        if (!found.LowerCase && depth == 0 && i + 1 < n && LowerCaseWordFollows(text[i + 1])) found.LowerCase = true;
        break;
      case OpenChar:
        ++depth;
        break;
      case CloseChar:
        if (depth > 0) --depth;
        break;
      case EqualsChar:
        found.Expression = true;
        break;
      default:
        break;
    }
    *o++ = c;
    previous = static_cast<unsigned char>(c);
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

// Steps up to the motion code: the line cleaned, rewritten and its modal words
// applied. False when the line ends here without its common end.
bool PrepareLine(LineScan& line, LineFindings& found) {
  GcodeInterpreter& in = line.In;
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;

  // Every line starts with the operator texts whole; a line leaves them as they are.
  static const std::array<std::string, 8> operators{" & ", " | ", "<", ">", "=", "<=", ">=", "<>"};
  if (in.ConditionOperators != operators) in.ConditionOperators = operators;

  std::string raw = RemoveUnholdableBytes(awk.Text());
  if (raw.size() > MaxLineLength) {
    AddDiagnostic(line.Ctx, "line longer than " + std::to_string(MaxLineLength) + " characters: ignored");
    raw.clear();
  }
  SetLine(line, raw);

  // Comments.
  awk.SetFS(";");
  SetLine(line, winplat::Trim(awk.Field(1)));

  // Pattern lines.
  if (!LineText(line).empty() && winplat::Trim(LineText(line)).front() == '*') {
    found.LowerCase = HasLowerCaseWord(LineText(line));
    ReadPatternLine(line);
    SetLine(line, "");
  }

  // Parameter words and E become their private codes.
  std::string text = LineText(line);
  text = winplat::ReplaceString(text, "R50=", StandIn(StandInR50), 0);
  text = winplat::ReplaceString(text, "R51=", StandIn(StandInR51), 0);
  text = winplat::ReplaceString(text, "R52=", StandIn(StandInR52), 0);
  text = winplat::ReplaceString(text, "R54=", StandIn(StandInR54), 0);
  text = winplat::ReplaceString(text, "E", StandIn(StandInE), 0);
  text = DropUnknownParameters(line, text);
  SetLine(line, SpaceWords(text, found));
  if (found.LowerCase) {
    line.In.LowerCaseWords = true;
    AddDiagnostic(line.Ctx, "lower-case words are not read");
  }

  // Program calls.
  awk.SetFS("=");
  if (!awk.Field(1).empty() && awk.Field(1).front() == '!') SetLine(line, "G150() " + LineText(line).substr(1));

  // Expressions after "=".
  text = LineText(line);
  if (text.rfind("G150", 0) != 0 && text.rfind("!", 0) != 0) {
    awk.SetFS("=");
    std::string head = awk.Field(1);
    if (head.empty()) {
      SetLine(line, "");
    } else {
      std::int32_t count = awk.FieldCount();
      std::vector<std::string> fields;
      for (std::int32_t i = 2; i <= count; ++i) fields.push_back(awk.Field(i));
      for (std::string& f : fields) head += EvaluateWordValue(line.Ctx, f);
      SetLine(line, head);
    }
  }

  // M2 ends this line only.
  if (FieldValue(line, "M", 2) == 2) return false;
  if (FieldValue(line, "G", 2) == 88) line.S.CutterCompMode = 0;
  return true;
}

// Modal G words, from the last to the first so that the first one wins.
void ApplyModalWords(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;
  awk.SetFS("G");
  for (std::int32_t i = awk.FieldCount(); i >= 2; --i) {
    std::string field = awk.Field(i);
    std::string trimmed = winplat::RTrim(field);
    bool slash = !trimmed.empty() && trimmed.back() == '/';
    double v = 0;
    try {
      v = winplat::Val(field);
    } catch (const winplat::NumericError&) {
      AddDiagnostic(line.Ctx, "G word out of range: word ignored");
      continue;
    }
    std::int32_t g = CheckedLong(line, v, "G word");
    switch (g) {
      case 40:
      case 41:
      case 42:
        line.S.CutterCompMode = g - 40;
        break;
      case 54:
      case 55:
      case 56:
      case 57:
        if (slash)
          state.AltOriginCorner = g - 54;
        else
          state.OriginCorner = g - 54;
        break;
      case 90:
        line.IncrementalMode = 0;
        break;
      case 91:
        line.IncrementalMode = 1;
        break;
      default:
        break;
    }
  }
}

bool IsArcCode(std::int32_t code) {
  return code == 2 || code == 12 || code == 37 || code == 3 || code == 13 || code == 38;
}

// The line's motion code; 0 when the line does nothing more.
std::int32_t ChooseMotionCode(LineScan& line) {
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;
  const std::string& text = LineText(line);
  std::int32_t code = CheckedLong(line, FieldValue(line, "G", 2), "G word");
  bool modal = awk.FieldCount() < 2;
  if (modal) code = line.S.ModalMotionCode;
  if (text.find("G0") != std::string::npos) code = 88;
  bool hasXY = text.find('X') != std::string::npos || text.find('Y') != std::string::npos;
  if ((code == 88 || code == 1) && !hasXY) {
    if (code == 88) line.S.ModalMotionCode = 88;
    code = 0;
  }
  // A modal arc needs a word to act on.
  if (modal && IsArcCode(code) && !hasXY && text.find_first_of("IJA") == std::string::npos) code = 0;
  return code;
}

void Dispatch(LineScan& line) {
  switch (line.MotionCode) {
    case 1:
      StraightLine(line);
      break;
    case 2:
    case 12:
    case 37:
      ArcWord(line, true);
      break;
    case 3:
    case 13:
    case 38:
      ArcWord(line, false);
      break;
    case 11:
    case 110:
      PolarLine(line);
      break;
    case 70:
    case 71:
      SheetBlock(line);
      break;
    case 88:
      ContourStart(line);
      break;
    case 92:
      OriginBlock(line);
      break;
    case 81:
    case 85:
    case 86:
    case 150:
    case 151:
    case 183:
    case 184:
    case 185:
    case 186:
    case 187:
      FlushPendingCorner(line);
      if (line.In.CycleWords) line.In.CycleWords(line);
      break;
    default:
      break;
  }
}

void CommonEnd(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  if (FieldValue(line, "G", 2) == 152) state.BlockCondition = BoolTrue;
  auto& path = state.PathElements;
  if (NoSheetSize(state) && line.LastAppended > 0 && static_cast<std::size_t>(line.LastAppended) < path.size())
    path[static_cast<std::size_t>(line.LastAppended)].CycleCode = 5;
}

// A word problem of the line reads as the reader takes it: the load says so,
// naming the line. An expression's words are looked at once it is evaluated,
// and only for a missing number.
void NoteWordProblem(LineScan& line, const LineFindings& found) {
  std::string note = found.WordNote;
  if (found.Expression) {
    const std::string& text = LineText(line);
    const char letter = text.rfind("G150", 0) == 0 ? '\0' : NumberlessWord(text);
    note = letter ? std::string(1, letter) + " has no number, read as 0" : std::string();
  }
  if (!note.empty()) AddDiagnostic(line.Ctx, note);
}

void ScanLine(LineScan& line) {
  LineFindings found;
  if (!PrepareLine(line, found)) return;
  if (line.Ctx.State.BlockCondition == BoolTrue) {
    NoteWordProblem(line, found);
    ApplyModalWords(line);
    line.MotionCode = ChooseMotionCode(line);
    if (line.MotionCode == 0) return;
    Dispatch(line);
  }
  CommonEnd(line);
}

}  // namespace

void GcodeAwk_ScanLine(GcodeInterpreter& in) {
  LineScan line(in);
  try {
    ScanLine(line);
  } catch (const std::exception& e) {
    // Whatever a line holds, the load goes on with the next one.
    AddDiagnostic(in.Ctx, std::string("line not interpreted: ") + e.what());
  }
}

void ResetGcodeScan(GcodeInterpreter& in) {
  in.Scan = ScanLineState{};
  in.ArcReports.clear();
  in.ElementCapReported = false;
  in.LowerCaseWords = false;
  ProgramState& state = in.Ctx.State;
  state.GcodeReaders = GcodeReaderMemory{};
  state.LoadDiagnostics.clear();
  if (state.GcodeUnitFactor == 0) state.GcodeUnitFactor = 1.0;
}

void FlushGcodeScan(GcodeInterpreter& in) {
  LineScan line(in);
  FlushPendingCorner(line);
}

void ConnectGcodeAwk(GcodeInterpreter& in) {
  in.Ctx.GcodeAwk.OnLine = [&in] { GcodeAwk_ScanLine(in); };
}

GcodeScanReport CollectScanReport(GcodeInterpreter& in) {
  GcodeScanReport report;
  report.Diagnostics = in.Ctx.State.LoadDiagnostics;
  report.LowerCaseWords = in.LowerCaseWords;
  for (const std::string& m : in.ArcReports)
    if (std::find(report.Messages.begin(), report.Messages.end(), m) == report.Messages.end())
      report.Messages.push_back(m);
  return report;
}

GcodeScanReport ScanGcodeProgram(GcodeInterpreter& in, const std::string& windowsPath) {
  ResetGcodeScan(in);
  ConnectGcodeAwk(in);
  winplat::TextScanner& awk = in.Ctx.GcodeAwk;
  awk.SetFileName(windowsPath);
  awk.SetLineNumber(0);
  awk.SetStopScan(0);
  FlushGcodeScan(in);
  return CollectScanReport(in);
}

}  // namespace fieldray::toolpath
