#pragma once
// The main window's Timer1: keeps the job list in step with its folder and
// takes the jobs another application hands over on the machine clipboard.
//
// A hand-off record is one line of fields separated by ";" or Tab: the job
// file's name (raw column 1, relative to the job folder), the run-field code
// (logical field 3) and the expressions of the job variables L, H, S (logical
// fields 5 to 7) and A to G and I (12 to 19). NewListCol's capitals "A".."S"
// each skip one raw column in front of that logical field.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/file_selection.h"
#include "console/main_form.h"
#include "engine/engine.h"
#include "toolpath/context.h"

namespace fieldray::console {

// The largest clipboard file the intake reads for a job record; a larger one
// is refused by its size without being read.
inline constexpr std::uintmax_t MaxJobRecordBytes = 65536;

// A job variable a record can supply: its logical field and VarTable entry.
struct JobVariableField {
  int Field;
  int Var;
  char Letter;
};
// In the order they are evaluated: each may use those before it.
inline constexpr std::array<JobVariableField, 11> JobVariableFields{{{5, 12, 'L'},
                                                                     {6, 8, 'H'},
                                                                     {7, 19, 'S'},
                                                                     {12, 1, 'A'},
                                                                     {13, 2, 'B'},
                                                                     {14, 3, 'C'},
                                                                     {15, 4, 'D'},
                                                                     {16, 5, 'E'},
                                                                     {17, 6, 'F'},
                                                                     {18, 7, 'G'},
                                                                     {19, 9, 'I'}}};

struct JobRecord {
  std::string Name;         // raw column 1
  bool NameUsable = false;  // a plain file name, so it can name a file of the job folder
  std::int16_t RunField = 0;  // option of OptFld (1..8); 0 when the code names none
  // Blank-trimmed expression texts, by JobVariableFields; "" when not given.
  std::array<std::string, JobVariableFields.size()> Expressions{};
};

// Reads the record from the first line of `text` (CR and LF removed). The
// run-field code is logical field 3 trimmed, its first three characters
// upper-cased and padded with blanks, "N" read as "S" and "M" as "R"; it
// matches a three-character slot (1..8) of fieldSet1, else of fieldSet2.
JobRecord ParseJobRecord(std::string_view text, std::string_view newListCol, std::string_view fieldSet1,
                         std::string_view fieldSet2);

class JobIntake {
 public:
  // `files` gives the job folder; `open` opens a job file (full path).
  JobIntake(engine::Engine& engine, MainForm& main, toolpath::ToolpathContext& ctx, const FileSelection& files,
            OpenDrawingFileSlot open);

  // One tick: the list refresh, then, while CorvConn is ticked and the engine
  // is idle, the job on the clipboard when its file exists. A tick arriving
  // while an earlier one still runs (its message box, the open's waits) is
  // skipped.
  void Timer1_Timer();

 private:
  void RefreshList();
  void ClearHandOff();
  // Reads the clipboard and clears it when its record names an existing job
  // file; nothing when it is held by another program, empty or still waits.
  // A record naming a file that is not there yet, or a name that is no file
  // of the job folder (a path, "..", a drive, a write's temporary, a link
  // leading out), is left where it is and said in Msg.
  bool TakeJob(JobRecord& job);
  // Says `message` unless it was already said for this clipboard text.
  void Announce(const std::string& record, const std::string& message);
  // Evaluates the job's expressions; the message of the last one that could
  // not be evaluated ("" when all were).
  std::string SetJobVariables(const JobRecord& job);
  void OpenJob(const JobRecord& job);
  void RefuseRunField();

  engine::Engine& e_;
  MainForm& main_;
  toolpath::ToolpathContext& ctx_;
  const FileSelection& files_;
  OpenDrawingFileSlot open_;
  bool ticking_ = false;
  // The clipboard text last said to wait or be refused, or the state of a
  // clipboard file refused unread or found damaged.
  std::string announced_;
};

}  // namespace fieldray::console
