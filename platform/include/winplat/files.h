#pragma once
// Files as the system uses them: existence, counts and sizes, handle-style
// binary files, and the sequential text files of the system's language.
// Every path is a Windows path on the machine root.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace winplat {

// ---- Queries ---------------------------------------------------------------

// Nonzero (-1) when the path names an existing file (not a folder), else 0.
std::int32_t Exist(std::string_view path);

// Number of regular files matching a pattern "folder\name", where the name
// may hold the wildcards '*' (any run) and '?' (any one character), matched
// without regard to letter case ("C:\Jobs\*.*" counts every file). 0 when the
// folder is missing.
std::int32_t FCount(std::string_view pattern);

// Whether `path`, every link on it followed, lies inside `folder` (both
// Windows paths): false for a link that leads out of the folder.
bool LiesInFolder(std::string_view path, std::string_view folder);

// Whether `path`, every link on it followed, lies on one of the machine
// root's drives: false for a link that leads out of the root.
bool LiesOnMachineDrive(std::string_view path);

// Size of a file in bytes; -1 when it is missing or not a file.
std::int32_t FileSize(std::string_view path);

// Removes a file; false when it is missing, a folder or cannot be removed.
bool DeleteFile(std::string_view path);

// Removes an empty folder, given by its host path, at once. The file system's
// release of its storage, which can take milliseconds on a busy disk, ends on
// a background thread. False when it is not an empty folder or cannot go.
bool RemoveEmptyHostFolder(const std::filesystem::path& folder);

// Whether a file name is the temporary of a replacing write, "TARGET.~PID-N":
// never a file of its own, so never listed, counted or taken as one.
bool IsReplacingTemporary(std::string_view name);

// Removes the temporaries of replacing writes in a host folder (and in every
// folder below it with `recursive`) whose writing process no longer runs.
// Answers how many went.
int RemoveWriteLeftovers(const std::filesystem::path& folder, bool recursive);

// ---- Files in the process's memory -----------------------------------------

// Private scratch files of the running process, kept in its memory under
// Windows paths (matched without regard to letter case). Nothing of them
// reaches a disk, no other process sees them, and they end with the process
// however it ends. Safe to use from several threads.
class MemoryFiles {
 public:
  // A new empty file; false when one of that name exists.
  static bool Create(std::string_view path);
  // Adds bytes at the end of a file; false when it does not exist.
  static bool Append(std::string_view path, const void* bytes, std::size_t count);
  // The whole file into `out`; false (out untouched) when it does not exist.
  static bool Read(std::string_view path, std::string& out);
  // Takes the file out, its bytes moved into `out` (nothing copied); false
  // (out untouched) when it does not exist.
  static bool Take(std::string_view path, std::string& out);
  // Takes the file out; false when it did not exist.
  static bool Delete(std::string_view path);
  // How many files the process holds, and their bytes.
  static std::size_t Count();
  static std::uint64_t Bytes();
};

// Bytes of memory the machine has (0 when it cannot be told).
std::uint64_t MachineMemoryBytes();

// Bytes of memory this process may still take under the limits set on it:
// the smaller of its address-space limit less the address space it uses now,
// and the memory limit of its control group (or of a group above it). A
// control-group limit at or above the machine's memory is none. UINT64_MAX
// when no limit is set.
std::uint64_t ProcessMemoryRoomBytes();

// ---- Held folders ----------------------------------------------------------

class File;

// A new private folder (the owner's alone) that this process holds while the
// object lives: RemoveUnheldFolders, in this process or any other, leaves it
// alone, and once the process ends, however it ends, it is free for removal.
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder() { Remove(); }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Makes the folder (a Windows path) and holds it; false when the name is
  // taken, its parent is missing or it cannot be made.
  bool Create(std::string_view windowsPath);
  bool IsHeld() const { return fd_ >= 0; }
  // Deletes the folder with everything in it and lets go of it (a folder that
  // cannot be deleted is left free for RemoveUnheldFolders). Never throws.
  void Remove() noexcept;

  // Files in the held folder by their exact host names (a plain name, no
  // separator): opened beside the folder's own handle, so nothing else of the
  // path is looked up and the folder is never listed. As File's opens of the
  // same names; ERROR_PATH_NOT_FOUND when no folder is held.
  File CreatePrivateFile(std::string_view name) const;
  File OpenForAppending(std::string_view name) const;
  File OpenForReading(std::string_view name) const;

 private:
  File OpenIn(std::string_view name, int flags, unsigned mode) const;

  std::filesystem::path host_;
  int fd_ = -1;
};

// Removes, in a Windows folder, the folders whose names match `pattern`
// (wildcards '*' and '?', without regard to letter case) that no process holds, with everything in
// them. Links of such names that earlier builds made to folders on a memory
// file system go too, dangling or not, with the folders they lead to when
// those are this user's; so does this machine root's retired memory folder.
// Answers how many entries went.
int RemoveUnheldFolders(std::string_view windowsFolder, std::string_view pattern);

// ---- Handle-style files ----------------------------------------------------

// Windows error numbers a failed open reports.
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr std::uint32_t ERROR_DISK_FULL = 112;
constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
constexpr std::uint32_t ERROR_INVALID_NAME = 123;

// An open file. Sharing is kept between processes of one machine as Windows
// keeps it: a file open for shared reading cannot be created anew by anyone,
// and a file created anew without sharing cannot be opened by anyone else.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // An existing file for reading, shared with other readers.
  static File OpenForReading(std::string_view path);
  // A file for writing, created anew (emptied when it exists), not shared.
  static File CreateNew(std::string_view path);
  // A new file that only its owner may read or write; never an existing file
  // or a link (ERROR_FILE_EXISTS).
  static File CreatePrivate(std::string_view path);
  // An existing file (never through a link) for writing at its end.
  static File OpenForAppending(std::string_view path);

  bool IsOpen() const { return fd_ >= 0; }
  // Why the last open or operation failed (ERROR_* above), 0 when it did not.
  std::uint32_t Error() const { return error_; }

  // Bytes read (0 at the end), or -1 on a failure.
  std::int64_t Read(void* buffer, std::size_t count);
  // Bytes written, or -1 on a failure (ERROR_DISK_FULL when there was no room).
  std::int64_t Write(const void* buffer, std::size_t count);
  // Moves the position forward by `count` bytes (beyond the end of a file
  // being read it stops at the end); returns the new position or -1.
  std::int64_t Skip(std::int64_t count);
  std::int64_t Position() const;
  std::int64_t Size() const;
  void Close();

 private:
  // The file `open` opens at `path`'s host name: its descriptor, or -1 with
  // the reason in `error`.
  static File OpenAt(std::string_view path, int (*open)(const std::filesystem::path& host, std::uint32_t& error));
  friend class HeldFolder;

  int fd_ = -1;
  std::uint32_t error_ = 0;
};

// Two Windows paths name one file: the same file once mapped, whatever the
// letter case, and through links. Paths that cannot be mapped name nothing.
bool SameFile(std::string_view a, std::string_view b);

// A file written whole and then put in place of its target at once. The bytes
// go to a new, exclusively created file beside the target; Commit flushes it
// and renames it over the target, which keeps its permission bits. Dropped or
// abandoned uncommitted, the new file is removed and the target stays as it
// was. A link stays a link: the file it names is replaced. A
// target that someone holds open is refused with ERROR_SHARING_VIOLATION
// before anything is written, as File::CreateNew refuses it.
class ReplacingWriter {
 public:
  ReplacingWriter() = default;
  ~ReplacingWriter();
  ReplacingWriter(ReplacingWriter&& other) noexcept;
  ReplacingWriter& operator=(ReplacingWriter&& other) noexcept;
  ReplacingWriter(const ReplacingWriter&) = delete;
  ReplacingWriter& operator=(const ReplacingWriter&) = delete;

  // A writer for a Windows path (ERROR_INVALID_NAME when it cannot be mapped).
  static ReplacingWriter Open(std::string_view path);
  // A writer for a host path (the platform's own files).
  static ReplacingWriter OpenHost(const std::filesystem::path& target);
  // Puts `bytes` in place of the host file `target` in one go: 0, or the
  // system's reason (an errno value) for the failure.
  static int ReplaceHost(const std::filesystem::path& target, std::string_view bytes);

  bool IsOpen() const { return fd_ >= 0; }
  // Why the open, a write or the commit failed (ERROR_* above), 0 when nothing did.
  std::uint32_t Error() const { return error_; }
  // The system's reason for that failure (an errno value), 0 when nothing failed.
  int SystemError() const { return systemError_; }

  // False once any write has failed; later writes and the commit then fail too.
  bool Write(const void* buffer, std::size_t count);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Flushes and puts the new file in place; false (the target untouched) on failure.
  bool Commit();
  // Removes the new file; the target stays as it was.
  void Abandon();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::string pending_;  // bytes not yet handed to the new file
  int fd_ = -1;      // the new file
  int lockFd_ = -1;  // the target, held exclusively while writing
  std::uint32_t error_ = 0;
  int systemError_ = 0;
};

// ---- Sequential text files -------------------------------------------------

// A run-time error of the file statements, with the language's error number:
// 52 bad file number, 53 file not found, 54 bad file mode, 55 file already
// open, 57 device I/O error, 61 disk full, 62 input past end of file, 64 bad
// file name, 67 too many files, 75 path/file access error, 76 path not found.
class FileError : public std::runtime_error {
 public:
  FileError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
  int Number() const { return number_; }

 private:
  int number_;
};

enum class OpenMode { Input, Output, Append };

// One field of a Write # statement: a string is written in double quotes, a
// number as its text (formatted by the caller, without a leading blank).
struct WriteField {
  std::string text;
  bool quoted = false;
  static WriteField String(std::string_view s) { return {std::string(s), true}; }
  static WriteField Number(std::string_view digits) { return {std::string(digits), false}; }
  static WriteField Number(std::int32_t n) { return {std::to_string(n), false}; }
};

// A sequential text file: Open ... For Input / Output / Append.
class TextFile {
 public:
  // Input: the file must exist (53; 76 when its folder is missing).
  // Output: created or emptied. Append: created when missing, written at its end.
  TextFile(std::string_view path, OpenMode mode);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  OpenMode Mode() const { return mode_; }
  const std::string& Path() const { return path_; }

  // Line Input #: the next line, without its end (CR LF, CR or LF). 62 at the end.
  std::string LineInput();
  // Input #: the next comma-separated field. A field in double quotes is taken
  // up to its closing quote; an unquoted field is trimmed of blanks and ends at
  // a comma or a line end. 62 when no field is left.
  std::string InputField();
  // Input # into a number variable: the field read as a number (0 when empty).
  double InputNumber();
  // EOF(): true when nothing is left to read (always true for output).
  bool AtEnd();
  // LOF(): length of the file in bytes.
  std::int64_t Length();
  // Seek(): the 1-based position of the next byte.
  std::int64_t Seek();

  // Print #: the text followed by CR LF (with `newline` false, nothing after it).
  void Print(std::string_view text, bool newline = true);
  // Write #: the fields separated by commas, strings quoted, then CR LF.
  void Write(const std::vector<WriteField>& fields);

  void Close();

 private:
  int Peek();
  int Get();
  void Fill();
  void Flush();
  void NeedMode(bool input);

  std::string path_;
  OpenMode mode_;
  int fd_ = -1;
  std::string buffer_;  // read-ahead (input) or pending output
  std::size_t pos_ = 0;
  bool afterComma_ = false;  // the last field ended with a comma
};

// File numbers as the language hands them out (FreeFile, Open ... As #n,
// Close #n). Each component that uses numbers keeps a table of its own.
class FileTable {
 public:
  // The lowest free number from 1 to 255; 67 when all are taken.
  int FreeFile() const;
  // Opens `path` as number n; 52 for a number outside 1..255, 55 when n is open.
  TextFile& Open(int n, std::string_view path, OpenMode mode);
  // The open file numbered n; 52 when none is.
  TextFile& operator[](int n);
  // Close #n (a number not open is ignored); CloseAll is Close without numbers.
  void Close(int n);
  void CloseAll();

 private:
  std::map<int, std::unique_ptr<TextFile>> files_;
};

// Kill: deletes a file; 53 when it is missing.
void Kill(std::string_view path);

}  // namespace winplat
