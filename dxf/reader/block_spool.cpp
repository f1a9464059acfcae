// The private folder and the temporary block files of one read.
#include "block_spool.h"

#include <cstdio>
#include <random>

#include "winplat/files.h"
#include "winplat/paths.h"

namespace kelvane {

namespace fs = std::filesystem;

std::string BlockSpool::CreateFile(const std::string& tempFolder, std::int32_t counter, fs::path& host) {
  if (folder_.empty()) {
    const fs::path base = winplat::HostPath(tempFolder);
    std::error_code ec;
    if (!fs::is_directory(base, ec)) throw winplat::FileError(76, "Path not found");
    // A folder of this read's own, under a name nobody can guess, so that two
    // controls or two processes never meet in it.
    std::random_device random;
    for (int attempt = 0; attempt < 20 && folder_.empty(); ++attempt) {
      const std::uint64_t bits = (static_cast<std::uint64_t>(random()) << 32) ^ random();
      char name[32];
      std::snprintf(name, sizeof name, "KLV%016llX", static_cast<unsigned long long>(bits));
      const fs::path candidate = base / name;
      if (!fs::create_directory(candidate, ec) || ec) continue;  // taken: another name
      fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
      if (ec || fs::symlink_status(candidate, ec).type() != fs::file_type::directory) {
        fs::remove(candidate, ec);
        continue;
      }
      folder_ = tempFolder + name + "\\";
      hostFolder_ = candidate;
    }
    if (folder_.empty()) throw winplat::FileError(75, "Path/File access error");
  }
  const std::string leaf = std::to_string(counter) + ".TMP";
  host = hostFolder_ / leaf;
  // Created exclusively: an existing file or link of that name is an error.
  std::FILE* file = std::fopen(host.c_str(), "wx");
  if (!file) throw winplat::FileError(75, "Path/File access error");
  std::fclose(file);
  files_.push_back(host);
  std::error_code ec;
  fs::permissions(host, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
  return folder_ + leaf;
}

void BlockSpool::Clear() {
  std::error_code ec;
  for (const fs::path& file : files_) fs::remove(file, ec);
  files_.clear();
  if (!hostFolder_.empty()) {
    if (!winplat::RemoveEmptyHostFolder(hostFolder_) && fs::exists(fs::symlink_status(hostFolder_, ec)))
      fs::remove_all(hostFolder_, ec);
  }
  hostFolder_.clear();
  folder_.clear();
  blocks.clear();
  deferred.clear();
  deferredDone = 0;
  lastInsertPlaced = false;
  recordsCopied = 0;
}

BlockSpool& Spool(DXF& dxf) {
  std::shared_ptr<BlockSpool>& spool = dxf.reader.BlockFiles;
  if (!spool) spool = std::make_shared<BlockSpool>();
  return *spool;
}

bool LastInsertPlaced(DXF& dxf) { return dxf.reader.BlockFiles && dxf.reader.BlockFiles->lastInsertPlaced; }

}  // namespace kelvane
