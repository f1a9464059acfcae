#pragma once
// A metafile being drawn: the rendering pass draws on its device context like
// on any other surface; whoever creates the surface closes it, and its writer
// turns what was recorded into a file. The pass never closes it.
#include <memory>
#include <string>
#include <vector>

#include "winplat/types.h"

namespace kelvane {

// Turns the recorded drawing calls of a surface of the given size into a file.
class MetafileWriter {
 public:
  virtual ~MetafileWriter() = default;
  virtual bool Write(const std::vector<std::string>& calls, int width, int height, const std::string& fileName,
                     std::string& error) = 0;
};

class MetafileSurface {
 public:
  // A recording context of width x height pixels; `writer` may be empty.
  MetafileSurface(int width, int height, std::shared_ptr<MetafileWriter> writer);
  ~MetafileSurface();
  MetafileSurface(const MetafileSurface&) = delete;
  MetafileSurface& operator=(const MetafileSurface&) = delete;

  winplat::HDC DC() const { return dc_; }
  std::vector<std::string> Calls() const;
  // Ends the recording and hands it to the writer; false with a reason when
  // there is no writer or it fails. The context is gone afterwards.
  bool Close(const std::string& fileName, std::string& error);

 private:
  winplat::HDC dc_ = 0;
  int width_, height_;
  std::shared_ptr<MetafileWriter> writer_;
};

}  // namespace kelvane
