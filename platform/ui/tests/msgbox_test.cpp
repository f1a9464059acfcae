// Message boxes: scripts and their records, the modal loop, the default and terminal handlers, beeps.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "ui_test_support.h"

namespace {

using namespace winplat;
using uitest::React;

class MessageBoxTest : public uitest::UiTest {};

TEST_F(MessageBoxTest, ScriptAnswersAndRecordsEveryBox) {
  MessageBoxScript script;
  script.Answer(IDNO).Answer(0);
  EXPECT_EQ(MessageBox(7, "Exit program?", "CheckStatus: TB Not Present", MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBox(0, "Retry?", "Box", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);  // 0: the default
  EXPECT_EQ(MessageBox(0, "Out of answers", "Box", MB_OKCANCEL), IDOK);
  ASSERT_EQ(script.Shown().size(), 3u);
  const ShownMessageBox& first = script.Shown()[0];
  EXPECT_EQ(first.owner, 7u);
  EXPECT_EQ(first.caption, "CheckStatus: TB Not Present");
  EXPECT_EQ(first.text, "Exit program?");
  EXPECT_EQ(first.buttons, MB_YESNO);
  EXPECT_EQ(first.icon, MB_ICONSTOP);
  EXPECT_EQ(first.defaultButton, IDNO);
  EXPECT_EQ(first.answer, IDNO);
  EXPECT_EQ(script.Shown()[1].answer, IDCANCEL);
  EXPECT_EQ(script.PendingAnswers(), 0u);
}

TEST_F(MessageBoxTest, ALoggingScriptWritesEachBoxAsItIsAnswered) {
  std::ostringstream log;
  MessageBoxScript script;
  script.LogTo(&log);
  script.Answer(IDNO).Answer(0).Answer(IDYES);
  MessageBox(0, "Exit program?", "CheckStatus: TB Not Present", MB_YESNO);
  MessageBox(0, "Retry?\r\nNow", "Box", MB_RETRYCANCEL | MB_DEFBUTTON2);
  MessageBox(0, "text", "cap", MB_OKCANCEL);  // Yes is not one of its buttons
  EXPECT_EQ(log.str(),
            "[message box] CheckStatus: TB Not Present: Exit program? -> No\n"
            "[message box] Box: Retry? Now -> default (Cancel)\n"
            "[message box] cap: text -> default (OK)\n");
}

TEST_F(MessageBoxTest, BoxWithoutCaptionGetsTheProgramTitle) {
  std::string saved = ProgramTitle();
  SetProgramTitle("Lumiroll");
  MessageBoxScript script;
  MessageBox(0, "Proper Run Field Area Not Selected", "", MB_OK | MB_ICONEXCLAMATION);
  SetProgramTitle(saved);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].caption, "Lumiroll");
}

TEST_F(MessageBoxTest, AnswerThatIsNotAButtonTakesTheDefault) {
  MessageBoxScript script;
  script.Answer(IDYES);
  EXPECT_EQ(MessageBox(0, "text", "cap", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(MessageBoxTest, TimerDueWhileTheBoxIsUpRunsBeforeItReturns) {
  HWND w = Make();
  SetTimer(w, 1, 1000);
  int depthAtTick = -1;
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_TIMER) depthAtTick = MessageBoxDepth();
    return 0;
  };
  MessageBoxScript script;
  script.Answer(IDOK, {}, 1500);  // the operator takes 1.5 s to answer
  EXPECT_EQ(MessageBox(0, "wait", "cap", MB_OK), IDOK);
  EXPECT_EQ(uitest::Count(w, WM_TIMER), 1);
  EXPECT_EQ(depthAtTick, 1);
  EXPECT_EQ(MessageBoxDepth(), 0);
}

TEST_F(MessageBoxTest, PendingMessagesRunAndScriptActsWhileTheBoxIsUp) {
  HWND w = Make();
  PostMessage(w, WM_USER, 0, 0);
  int depthAtMessage = -1;
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_USER || message == WM_TIMER) depthAtMessage = MessageBoxDepth();
    return 0;
  };
  MessageBoxScript script;
  bool acted = false;
  script.Answer(IDOK, [&] {
    acted = true;
    EXPECT_EQ(uitest::Count(w, WM_USER), 1);  // already dispatched by the box's loop
    SetTimer(w, 5, 10);
    clock.Advance(10);  // due now: must run before the box returns
  });
  MessageBox(0, "x", "y", MB_OK);
  EXPECT_TRUE(acted);
  EXPECT_EQ(depthAtMessage, 1);
  EXPECT_EQ(uitest::Count(w, WM_TIMER), 1);
}

TEST_F(MessageBoxTest, ReentryThroughATimerShowsANestedBox) {
  // A tick that arrives while a box is up and shows its own box (the re-entry
  // a guarded routine must expect).
  HWND w = Make();
  SetTimer(w, 1, 100);
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_TIMER) {
      KillTimer(w, 1);
      MessageBox(0, "inner", "Inner", MB_OK);
    }
    return 0;
  };
  MessageBoxScript script;
  script.Answer(IDOK, {}, 200).Answer(IDOK);
  MessageBox(0, "outer", "Outer", MB_OK);
  ASSERT_EQ(script.Shown().size(), 2u);
  EXPECT_EQ(script.Shown()[0].caption, "Outer");
  EXPECT_EQ(script.Shown()[1].caption, "Inner");
}

TEST(MessageBoxHandlers, DefaultHandlerNeverWaitsForInput) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);  // a handler that waited for input would be killed here
    dup2(fds[0], 0);  // standard input: a pipe that never delivers anything
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    SetMessageBoxHandler({});
    int answer = MessageBox(0, "Exit program?", "Cap", MB_YESNO | MB_DEFBUTTON2);
    _exit(answer);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(fds[0]);
  close(fds[1]);
  ASSERT_TRUE(WIFEXITED(status)) << "the default handler blocked";
  EXPECT_EQ(WEXITSTATUS(status), IDNO);
}

int AskTerminal(const std::string& input, unsigned flags, std::string* shown = nullptr) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return -1;
  if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) return -1;
  close(in[1]);
  SetMessageBoxHandler(TerminalMessageBoxHandler(in[0], out[1]));
  int answer = MessageBox(0, "Do you want to hear the beeps?", "CheckStatus: TB Not Present", flags);
  SetMessageBoxHandler({});
  close(out[1]);
  std::string text;
  char buf[512];
  ssize_t n;
  while ((n = read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  close(out[0]);
  close(in[0]);
  if (shown) *shown = text;
  return answer;
}

TEST(MessageBoxHandlers, TerminalHandlerAsksUntilItGetsAButton) {
  std::string shown;
  EXPECT_EQ(AskTerminal("maybe\nno\n", MB_YESNO | MB_ICONQUESTION, &shown), IDNO);
  EXPECT_NE(shown.find("CheckStatus: TB Not Present"), std::string::npos);
  EXPECT_NE(shown.find("Do you want to hear the beeps?"), std::string::npos);
  EXPECT_NE(shown.find("Not a button of this box: maybe"), std::string::npos);
  EXPECT_EQ(AskTerminal("y\n", MB_YESNO, nullptr), IDYES);
  EXPECT_EQ(AskTerminal("3\n", MB_ABORTRETRYIGNORE, nullptr), IDIGNORE);
  EXPECT_EQ(AskTerminal("\n", MB_OKCANCEL | MB_DEFBUTTON2, nullptr), IDCANCEL);
  EXPECT_EQ(AskTerminal("", MB_YESNO | MB_DEFBUTTON2, nullptr), IDNO);  // end of input
}

TEST(MessageBoxHandlers, ButtonsOfEachKind) {
  EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(DefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(DefaultButton(MB_OK | MB_DEFBUTTON3), IDOK);
  EXPECT_EQ(DefaultButton(276), IDNO);  // Yes/No, stop sign, No as default
  EXPECT_EQ(DefaultButton(292), IDNO);
}

TEST(Beeps, AreRecorded) {
  ClearBeepHistory();
  MessageBeep(MB_SIMPLEBEEP);
  Beep(880, 200);
  auto beeps = BeepHistory();
  ASSERT_EQ(beeps.size(), 2u);
  EXPECT_FALSE(beeps[0].tone);
  EXPECT_EQ(beeps[0].type, MB_SIMPLEBEEP);
  EXPECT_TRUE(beeps[1].tone);
  EXPECT_EQ(beeps[1].frequency, 880u);
  EXPECT_EQ(beeps[1].durationMs, 200u);
}

}  // namespace
