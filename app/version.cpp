// The program's title, as message boxes without a caption show it.
namespace fieldray {
const char* ProgramTitle() { return "Fieldray"; }
}  // namespace fieldray
