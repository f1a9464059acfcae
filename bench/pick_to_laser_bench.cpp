// From a pick in the job list to the laser: the program as the console puts it
// together, on a machine root of its own (the template's settings, caption time
// 0, output on, field N/S), picking a drawing or a part program padded to
// 99,999 bytes, or the template's plate, until the display frame is shown, on
// the emulated ISA board and on the emulated PCI board.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "console/program.h"
#include "engine/projection_output.h"
#include "engine/vexlib_binding.h"
#include "winplat/classreg.h"
#include "winplat/controls/operator.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/msgbox.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using fieldray::console::Program;

constexpr std::size_t kPaddedBytes = 99999;

fs::path BinaryFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// The folder the program loads the device library from: the library's copy with
// test hooks under the shipped file name, so that each machine detects afresh.
fs::path DeviceLibraryFolder() {
  static const fs::path folder = [] {
    fs::path dir = fs::temp_directory_path() / ("fieldray-bench-lib-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    fs::remove(dir / fieldray::engine::Vexlib::kLibraryFile, ec);
    fs::create_symlink(BinaryFolder() / "libvexlib_testing.so", dir / fieldray::engine::Vexlib::kLibraryFile, ec);
    return dir;
  }();
  return folder;
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Comment lines in front of the text until it holds exactly `bytes` bytes;
// `line` makes one comment line of a given length (its line end included).
template <class Line>
std::string Padded(const std::string& text, std::size_t bytes, Line line) {
  std::string padding;
  while (text.size() + padding.size() < bytes) {
    std::size_t left = bytes - text.size() - padding.size();
    padding += line(std::min<std::size_t>(left, 80));
  }
  return padding + text;
}

// A drawing comment (group 999) of `n` bytes with its line ends; at least 8.
std::string DxfComment(std::size_t n) {
  if (n < 8) return std::string(n, '\n');
  return "999\r\n" + std::string(n - 7, 'x') + "\r\n";
}

// A part-program comment line of `n` bytes.
std::string NcComment(std::size_t n) {
  if (n < 3) return std::string(n, '\n');
  return "(" + std::string(n - 3, 'x') + ")\n";
}

// A drawing of `lines` lines spread over the first quadrant, as the template's
// plate lies (10 to 210 by 10 to 110). Written tersely (LF, whole numbers) so
// that 2,000 lines stay below the size the program takes (99,999 bytes).
std::string LinesDrawing(int lines) {
  std::string text = "0\nSECTION\n2\nENTITIES\n";
  auto number = [&](int code, int value) { text += std::to_string(code) + "\n" + std::to_string(value) + "\n"; };
  for (int i = 0; i < lines; ++i) {
    text += "0\nLINE\n8\n0\n";
    number(10, 10 + (i * 37) % 200);
    number(20, 10 + (i * 53) % 100);
    number(11, 10 + (i * 71) % 200);
    number(21, 10 + (i * 29) % 100);
  }
  return text + "0\nENDSEC\n0\nEOF\n";
}

// One machine and the program on it; one at a time (each has its own root).
struct Machine {
  bool pci;
  winplat::MessageBoxScript boxes;  // a box takes its default button; none is expected
  std::unique_ptr<Program> program;

  explicit Machine(bool pciBoard) : pci(pciBoard) {
    fs::path root = fs::temp_directory_path() / ("fieldray-bench-pick-" + std::to_string(::getpid()) +
                                                 (pci ? "-pci" : "-isa"));
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root);
    setenv("FIELDRAY_ROOT", root.c_str(), 1);
    winplat::ResetMachineRoot();
    fs::path jobs = winplat::MachineRoot() / "C" / "Fieldray" / "Jobs";  // filled from the template
    winplat::hw::WriteBoardConfig(pci ? "[Boards]\nFamily=PCI\n" : "");
    // The device library looks for PCI boards where it remembers some.
    if (pci) std::ofstream(winplat::MachineRoot() / "C" / "WINDOWS" / "VEXLIB.INI") << "[TB2000]\nNumber of boards=1\n";
    winplat::hw::ResetBoardState();
    // The device library may be loaded from an earlier machine: it detects afresh.
    const fs::path library = DeviceLibraryFolder() / fieldray::engine::Vexlib::kLibraryFile;
    if (void* lib = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      if (auto forget = reinterpret_cast<void (*)()>(dlsym(lib, "vxTestForgetDetection"))) forget();
      dlclose(lib);
    }
    std::ofstream(jobs / "BIG.DXF", std::ios::binary)
        << Padded(ReadText(jobs / "PLATE.DXF"), kPaddedBytes, DxfComment);
    std::ofstream(jobs / "BIG.NC", std::ios::binary) << Padded(ReadText(jobs / "PLATE.NC"), kPaddedBytes, NcComment);
    // Drawings of 100 to 2,000 entities: a pick's cost should grow with them, no faster.
    for (int entities : {100, 300, 1000, 2000})
      std::ofstream(jobs / ("LINES" + std::to_string(entities) + ".DXF"), std::ios::binary)
          << LinesDrawing(entities);
    winplat::SetExeName("C:\\Fieldray\\Fieldray.exe");
    winplat::RegisterServerLibrary(BinaryFolder() / "libkelvaneent.so");
    program = std::make_unique<Program>(DeviceLibraryFolder(), [] {});
    program->Start();
    auto& main = program->Forms.Main;
    main.TdTxt.SetText("0");
    main.OnOff.SetValue(1);
    winplat::controls::op::Click(main.OptFld(1));
  }

  // The root stays until the process ends: a device library still loaded
  // keeps its lock files there.
  ~Machine() { program.reset(); }

  // Takes the list's selection away without opening anything, so that the
  // next pick of the same entry is a pick again.
  void Unselect() {
    auto& list = program->Forms.Main.File1;
    auto click = list.Click;
    list.Click = [] {};
    list.SetListIndex(-1);
    list.Click = click;
  }

  bool Pick(const std::string& name) {
    auto& list = program->Forms.Main.File1;
    for (int i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == name) {
        winplat::controls::op::Pick(list, i);
        return true;
      }
    }
    return false;
  }
};

// Kept to the end of the process (the program outlives the benchmarks' statics).
Machine& TheMachine(bool pci) {
  static Machine* machine = nullptr;
  if (!machine || machine->pci != pci) {
    delete machine;
    machine = new Machine(pci);
  }
  return *machine;
}

void PickToLaser(benchmark::State& state, bool pci, const std::string& file) {
  Machine& m = TheMachine(pci);
  if (m.program->Engine.Ended) {
    state.SkipWithError("the program ended at start-up");
    return;
  }
  m.program->Forms.Main.File1.Refresh();
  for (auto _ : state) {
    state.PauseTiming();
    m.Unselect();
    state.ResumeTiming();
    if (!m.Pick(file)) {
      state.SkipWithError("not in the job list");
      break;
    }
    if (m.program->State.LastShownFrame <= 0 || !m.boxes.Shown().empty()) {
      const std::string why = m.boxes.Shown().empty() ? "nothing was shown" : "a box: " + m.boxes.Shown()[0].text;
      state.SkipWithError(why.c_str());
      break;
    }
  }
  // A drawing the program refuses by its size costs nothing to pick.
  if (m.program->Forms.Main.Msg.Caption() == "File Too Large") state.SkipWithError("the drawing was refused as too large");
  // The display frame holds the pick's points (checked after the timing);
  // the line drawings' frames outgrow what the board holds and are refused.
  FrameStruct shown{};
  if (file.rfind("LINES", 0) != 0 &&
      (m.program->Vx.ReadFrameStruct(fieldray::engine::DisplayFrameNumber, &shown) != 0 || shown.NumPoints <= 0)) {
    state.SkipWithError("the display frame is empty");
  }
}

void Configure(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK_CAPTURE(PickToLaser, IsaDrawing99999, false, "BIG.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, IsaPlate, false, "PLATE.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, IsaPartProgram99999, false, "BIG.NC")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciDrawing99999, true, "BIG.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciPlate, true, "PLATE.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciPartProgram99999, true, "BIG.NC")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciLines100, true, "LINES100.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciLines300, true, "LINES300.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciLines1000, true, "LINES1000.DXF")->Apply(Configure);
BENCHMARK_CAPTURE(PickToLaser, PciLines2000, true, "LINES2000.DXF")->Apply(Configure);

}  // namespace
