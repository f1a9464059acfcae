// The sequential text files of the system's language: Open, Line Input,
// Input #, Print #, Write #, EOF, LOF, Seek, Close, FreeFile and Kill.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "winplat/files.h"
#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

[[noreturn]] void Fail(int number, const std::string& path) {
  const char* text = "File error";
  switch (number) {
    case 52: text = "Bad file name or number"; break;
    case 53: text = "File not found"; break;
    case 54: text = "Bad file mode"; break;
    case 55: text = "File already open"; break;
    case 57: text = "Device I/O error"; break;
    case 61: text = "Disk full"; break;
    case 62: text = "Input past end of file"; break;
    case 64: text = "Bad file name"; break;
    case 67: text = "Too many files"; break;
    case 75: text = "Path/File access error"; break;
    case 76: text = "Path not found"; break;
  }
  throw FileError(number, path.empty() ? std::string(text) : std::string(text) + ": " + path);
}

int OpenFailure(int err, const fs::path& host) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: {
      std::error_code ec;
      return fs::is_directory(host.parent_path(), ec) ? 53 : 76;
    }
    case EMFILE:
    case ENFILE:
      return 67;
    default:
      return 75;
  }
}

}  // namespace

TextFile::TextFile(std::string_view path, OpenMode mode) : path_(path), mode_(mode) {
  fs::path host;
  try {
    host = HostPath(path);
  } catch (const PathError&) {
    Fail(64, path_);
  }
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::Input: flags |= O_RDONLY; break;
    case OpenMode::Output: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case OpenMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
  }
  struct stat st{};
  if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Fail(75, path_);
  fd_ = ::open(host.c_str(), flags, 0644);
  if (fd_ < 0) Fail(OpenFailure(errno, host), path_);
  if (mode == OpenMode::Input) Fill();
}

TextFile::~TextFile() {
  try {
    Close();
  } catch (const FileError&) {
    // A destructor cannot report a failed flush; Close() does for callers that ask.
  }
}

// Reads the whole file: input files are read front to back once.
void TextFile::Fill() {
  char chunk[16384];
  for (;;) {
    ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(57, path_);
    if (n == 0) break;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

void TextFile::NeedMode(bool input) {
  if (fd_ < 0) Fail(52, path_);
  if ((mode_ == OpenMode::Input) != input) Fail(54, path_);
}

int TextFile::Peek() { return pos_ < buffer_.size() ? static_cast<unsigned char>(buffer_[pos_]) : -1; }

int TextFile::Get() { return pos_ < buffer_.size() ? static_cast<unsigned char>(buffer_[pos_++]) : -1; }

std::string TextFile::LineInput() {
  NeedMode(true);
  if (pos_ >= buffer_.size()) Fail(62, path_);
  std::size_t start = pos_;
  while (pos_ < buffer_.size() && buffer_[pos_] != '\r' && buffer_[pos_] != '\n') ++pos_;
  std::string line = buffer_.substr(start, pos_ - start);
  if (Peek() == '\r') {
    ++pos_;
    if (Peek() == '\n') ++pos_;
  } else if (Peek() == '\n') {
    ++pos_;
  }
  afterComma_ = false;
  return line;
}

std::string TextFile::InputField() {
  NeedMode(true);
  auto isBlank = [](int c) { return c == ' ' || c == '\t'; };
  auto isEnd = [](int c) { return c == '\r' || c == '\n'; };
  while (isBlank(Peek())) ++pos_;
  if (afterComma_ && (isEnd(Peek()) || Peek() < 0)) {
    // "a," at a line end: an empty last field.
    afterComma_ = false;
    if (Get() == '\r' && Peek() == '\n') ++pos_;
    return std::string();
  }
  while (isBlank(Peek()) || isEnd(Peek())) ++pos_;  // line breaks between fields carry no meaning
  if (Peek() < 0) Fail(62, path_);

  std::string field;
  if (Peek() == '"') {
    ++pos_;
    while (Peek() >= 0 && Peek() != '"') field += static_cast<char>(Get());
    if (Peek() == '"') ++pos_;
    while (Peek() >= 0 && Peek() != ',' && !isEnd(Peek())) ++pos_;  // anything after the quote
  } else {
    while (Peek() >= 0 && Peek() != ',' && !isEnd(Peek())) field += static_cast<char>(Get());
    while (!field.empty() && isBlank(static_cast<unsigned char>(field.back()))) field.pop_back();
  }
  afterComma_ = false;
  if (Peek() == ',') {
    ++pos_;
    afterComma_ = true;
  } else if (Peek() == '\r') {
    ++pos_;
    if (Peek() == '\n') ++pos_;
  } else if (Peek() == '\n') {
    ++pos_;
  }
  return field;
}

double TextFile::InputNumber() {
  std::string field = InputField();
  if (field == "#TRUE#") return -1;
  if (field == "#FALSE#") return 0;
  for (char& c : field)
    if (c == 'D' || c == 'd') c = 'E';  // the language's double exponent
  const char* begin = field.c_str();
  char* end = nullptr;
  double value = std::strtod(begin, &end);
  return end == begin ? 0.0 : value;
}

bool TextFile::AtEnd() {
  if (fd_ < 0) Fail(52, path_);
  return mode_ != OpenMode::Input || pos_ >= buffer_.size();
}

std::int64_t TextFile::Length() {
  if (fd_ < 0) Fail(52, path_);
  if (mode_ == OpenMode::Input) return static_cast<std::int64_t>(buffer_.size());
  Flush();
  struct stat st{};
  if (::fstat(fd_, &st) != 0) Fail(57, path_);
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t TextFile::Seek() {
  if (fd_ < 0) Fail(52, path_);
  if (mode_ == OpenMode::Input) return static_cast<std::int64_t>(pos_) + 1;
  return Length() + 1;
}

void TextFile::Print(std::string_view text, bool newline) {
  NeedMode(false);
  buffer_.append(text);
  if (newline) buffer_ += "\r\n";
  if (buffer_.size() >= kFlushAt) Flush();
}

void TextFile::Write(const std::vector<WriteField>& fields) {
  NeedMode(false);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) buffer_ += ',';
    if (fields[i].quoted) buffer_ += '"';
    buffer_ += fields[i].text;
    if (fields[i].quoted) buffer_ += '"';
  }
  buffer_ += "\r\n";
  if (buffer_.size() >= kFlushAt) Flush();
}

void TextFile::Flush() {
  if (fd_ < 0 || mode_ == OpenMode::Input) return;
  std::size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = errno;
      buffer_.erase(0, done);
      Fail(err == ENOSPC ? 61 : 57, path_);
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

void TextFile::Close() {
  if (fd_ < 0) return;
  try {
    Flush();
  } catch (const FileError&) {
    ::close(fd_);
    fd_ = -1;
    throw;
  }
  ::close(fd_);
  fd_ = -1;
  buffer_.clear();
}

// ---- File numbers ----------------------------------------------------------

int FileTable::FreeFile() const {
  for (int n = 1; n <= 255; ++n)
    if (!files_.count(n)) return n;
  Fail(67, "");
}

TextFile& FileTable::Open(int n, std::string_view path, OpenMode mode) {
  if (n < 1 || n > 255) Fail(52, std::string(path));
  if (files_.count(n)) Fail(55, std::string(path));
  auto file = std::make_unique<TextFile>(path, mode);
  TextFile& ref = *file;
  files_[n] = std::move(file);
  return ref;
}

TextFile& FileTable::operator[](int n) {
  auto it = files_.find(n);
  if (it == files_.end()) Fail(52, "");
  return *it->second;
}

void FileTable::Close(int n) {
  auto it = files_.find(n);
  if (it == files_.end()) return;
  auto file = std::move(it->second);
  files_.erase(it);
  file->Close();
}

void FileTable::CloseAll() {
  while (!files_.empty()) Close(files_.begin()->first);
}

void Kill(std::string_view path) {
  fs::path host;
  try {
    host = HostPath(path);
  } catch (const PathError&) {
    Fail(64, std::string(path));
  }
  struct stat st{};
  if (::stat(host.c_str(), &st) != 0) Fail(53, std::string(path));
  if (!S_ISREG(st.st_mode) || ::unlink(host.c_str()) != 0) Fail(75, std::string(path));
}

}  // namespace winplat
