// Jobs from the clipboard and the job list's refresh, once a second.
#include "console/job_intake.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "console/flag_scope.h"
#include "toolpath/expressions.h"
#include "winplat/clipboard.h"
#include "winplat/files.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"
#include "winplat/text.h"
#include "winplat/window.h"

namespace fieldray::console {
namespace {

// Logical fields formed from a record; those beyond are never read.
constexpr int kLogicalFields = 40;
constexpr int kSlots = 8;

// A name that could reach outside the job folder, or no file at all.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?") == std::string::npos;
}

std::string Padded(std::string_view text, std::size_t size) {
  std::string s(text.substr(0, size));
  s.resize(size, ' ');
  return s;
}

std::int16_t RunFieldOf(const std::string& field, std::string_view set1, std::string_view set2) {
  std::string code = winplat::Trim(field);
  if (code.empty()) return 0;
  code = Padded(winplat::UCase(code), 3);
  for (char& c : code) {
    if (c == 'N') c = 'S';
    if (c == 'M') c = 'R';
  }
  for (std::string_view set : {set1, set2}) {
    for (std::size_t m = 1; m <= kSlots; ++m) {
      std::size_t at = (m - 1) * 3;
      if (at < set.size() && Padded(set.substr(at), 3) == code) return static_cast<std::int16_t>(m);
    }
  }
  return 0;
}

// Runs one step of a tick; a fault ends that step only and is shown.
template <typename Step>
void Guarded(engine::Engine& engine, const char* what, Step&& step) {
  try {
    step();
  } catch (const std::exception& ex) {
    engine.Console.SetMsg(std::string("Job intake, ") + what + ": " + ex.what());
  }
}

// Holds the clipboard open while a record is read and taken.
struct ClipboardOpen {
  bool open;
  explicit ClipboardOpen(winplat::HWND owner) : open(winplat::OpenClipboard(owner)) {}
  ~ClipboardOpen() {
    if (open) winplat::CloseClipboard();
  }
  ClipboardOpen(const ClipboardOpen&) = delete;
  ClipboardOpen& operator=(const ClipboardOpen&) = delete;
};

}  // namespace

JobRecord ParseJobRecord(std::string_view text, std::string_view newListCol, std::string_view fieldSet1,
                         std::string_view fieldSet2) {
  std::string_view line = text.substr(0, text.find_first_of("\r\n"));
  std::vector<std::string_view> raw;
  for (std::size_t start = 0;;) {
    std::size_t end = line.find_first_of(";\t", start);
    raw.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }

  std::array<int, kLogicalFields + 1> skips{};
  for (char c : newListCol) {
    int v = static_cast<unsigned char>(c) - 64;
    if (v > 0 && v < 20) ++skips[static_cast<std::size_t>(v)];
  }
  std::array<std::string, kLogicalFields + 1> logical{};
  std::size_t k = 0;
  for (std::size_t i = 1; i <= kLogicalFields && i <= raw.size(); ++i) {
    k += 1 + static_cast<std::size_t>(skips[i]);
    if (k <= raw.size()) logical[i] = std::string(raw[k - 1]);
  }

  JobRecord job;
  job.Name = std::string(raw.front());
  job.NameUsable = PlainFileName(job.Name);
  job.RunField = RunFieldOf(logical[3], fieldSet1, fieldSet2);
  for (std::size_t i = 0; i < JobVariableFields.size(); ++i)
    job.Expressions[i] = winplat::Trim(logical[static_cast<std::size_t>(JobVariableFields[i].Field)]);
  return job;
}

JobIntake::JobIntake(engine::Engine& engine, MainForm& main, toolpath::ToolpathContext& ctx, const FileSelection& files,
                     OpenDrawingFileSlot open)
    : e_(engine), main_(main), ctx_(ctx), files_(files), open_(std::move(open)) {
  main_.Timer1.Timer = [this] { Timer1_Timer(); };
}

void JobIntake::Timer1_Timer() {
  if (ticking_) return;
  FlagScope ticking(ticking_);

  Guarded(e_, "job list", [this] { RefreshList(); });
  ClearHandOff();
  if (main_.CorvConn.Value() != 1 || e_.State.EngineBusy > 0) return;
  JobRecord job;
  bool taken = false;
  Guarded(e_, "clipboard", [&] { taken = TakeJob(job); });
  if (!taken) return;

  e_.State.VarTable.fill(0);
  e_.State.HandOffFlag = BoolTrue;
  if (job.RunField == 0) {
    RefuseRunField();
    ClearHandOff();  // consumed, and nothing was opened
    return;
  }
  // A variable left to the program joins the line the open shows.
  e_.State.Pick.NextIntakeNotes = SetJobVariables(job);
  Guarded(e_, "opening the job", [&] { OpenJob(job); });
  e_.State.Pick.NextIntakeNotes.clear();
  // The open has read the job's variables by now.
  ClearHandOff();
}

void JobIntake::RefreshList() {
  std::int32_t count = winplat::FCount(files_.FixFilePath() + "*.*");
  if (main_.File1.ListCount() != count) main_.File1.Refresh();
}

void JobIntake::ClearHandOff() {
  e_.State.HandOffFlag = BoolFalse;
  e_.State.VarSet.fill(BoolFalse);
}

bool JobIntake::TakeJob(JobRecord& job) {
  // Held open from the read to the clearing, so a record the other
  // application puts meanwhile is never cleared unread.
  ClipboardOpen clipboard(main_.hWnd());
  if (!clipboard.open) return false;
  // A record no job needs is refused by its size, unread, and stays where it is.
  const winplat::ClipboardFileInfo file = winplat::ClipboardFile();
  if (file.size > MaxJobRecordBytes) {
    Announce(file.identity, "Job record of " + std::to_string(file.size) + " bytes refused: more than " +
                                std::to_string(MaxJobRecordBytes));
    return false;
  }
  std::optional<std::string> text = winplat::GetClipboardData(winplat::CF_TEXT);
  if (winplat::ClipboardDamaged()) {
    Announce(file.identity, "Clipboard file clipboard.dat is damaged; it reads as empty");
    return false;
  }
  if (text) text->resize(std::min(text->size(), text->find('\0')));
  if (!text || text->empty()) {
    announced_.clear();  // the same record put again later is said again
    return false;
  }
  job = ParseJobRecord(*text, e_.State.NewListCol, e_.State.FieldSet1, e_.State.FieldSet2);
  // A record that is not taken stays on the clipboard; why is said once per text.
  const std::string folder = files_.FixFilePath();
  if (!job.NameUsable || winplat::IsReplacingTemporary(job.Name) ||
      !winplat::LiesInFolder(folder + job.Name, folder)) {
    Announce(*text, "Job refused: " + job.Name + " is not a file of " + folder);
    return false;
  }
  if (winplat::Exist(folder + job.Name) == 0) {
    Announce(*text, "Waiting for job file " + job.Name + " in " + folder);
    return false;
  }
  announced_.clear();
  return winplat::EmptyClipboard();
}

void JobIntake::Announce(const std::string& record, const std::string& message) {
  if (record == announced_) return;
  announced_ = record;
  e_.Console.SetMsg(message);
}

std::string JobIntake::SetJobVariables(const JobRecord& job) {
  ProgramState& s = e_.State;
  std::string unevaluated;
  for (std::size_t i = 0; i < JobVariableFields.size(); ++i) {
    if (job.Expressions[i].empty()) continue;
    const JobVariableField& v = JobVariableFields[i];
    const auto var = static_cast<std::size_t>(v.Var);
    std::size_t problems = s.LoadDiagnostics.size();
    std::string text = job.Expressions[i];
    float value = toolpath::EvaluateExpression(ctx_, text);
    if (s.LoadDiagnostics.size() != problems) {
      // Left unsupplied, so the part program's own value stands.
      s.VarTable[var] = 0;
      s.VarSet[var] = BoolFalse;
      const std::string note =
          std::string("Job variable ") + v.Letter + ": expression " + job.Expressions[i] + " not evaluated";
      e_.Console.SetMsg(note);
      unevaluated += (unevaluated.empty() ? "" : "; ") + note;
      continue;
    }
    s.VarTable[var] = value;
    s.VarSet[var] = BoolTrue;
  }
  return unevaluated;
}

void JobIntake::OpenJob(const JobRecord& job) {
  // As a pick in the job list opens it, but in the job's own run field: the
  // field is chosen first, then the inversion it may have set is reset.
  e_.Vx.DeleteFrames(1, 15);
  if (main_.OptFld.Exists(job.RunField)) main_.OptFld(job.RunField).SetValue(true);
  UseCheckedRunField(e_);
  if (open_) open_(files_.FixFilePath() + job.Name);
}

void JobIntake::RefuseRunField() {
  const winplat::HWND window = main_.hWnd();
  const winplat::UINT keep = winplat::SWP_NOMOVE | winplat::SWP_NOSIZE;
  winplat::SetWindowPos(window, winplat::HWND_TOPMOST, 0, 0, 0, 0, keep);
  Guarded(e_, "message", [&] {
    winplat::MessageBox(window, "Proper Run Field Area Not Selected", "Error",
                        winplat::MB_OK | winplat::MB_ICONEXCLAMATION);
  });
  winplat::SetWindowPos(window, winplat::HWND_BOTTOM, 0, 0, 0, 0, keep);
}

}  // namespace fieldray::console
