#pragma once
// What a configuration file was when it was last read (one stat), so a
// cached reading is used again until its size, inode or modification time
// moves.
#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>
#include <string>

namespace winplat::hw::detail {

struct FileStamp {
  bool exists = false;
  bool regular = false;
  off_t size = 0;
  ino_t inode = 0;
  timespec mtime{};
};

inline FileStamp StampOf(const std::string& path) {
  struct stat st {};
  FileStamp stamp;
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(st.st_mode);
  stamp.size = st.st_size;
  stamp.inode = st.st_ino;
  stamp.mtime = st.st_mtim;
  return stamp;
}

// Two stamps of one file name the same contents: both absent, or both there
// with equal size, inode and modification time.
inline bool SameStamp(const FileStamp& a, const FileStamp& b) {
  if (a.exists != b.exists) return false;
  return !a.exists || (a.size == b.size && a.inode == b.inode && a.mtime.tv_sec == b.mtime.tv_sec &&
                       a.mtime.tv_nsec == b.mtime.tv_nsec);
}

}  // namespace winplat::hw::detail
