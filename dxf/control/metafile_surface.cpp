// Metafile surfaces over the graphics layer's recording contexts.
#include "metafile_surface.h"

#include "winplat/gdi.h"
#include "winplat/gdi_record.h"

namespace kelvane {

MetafileSurface::MetafileSurface(int width, int height, std::shared_ptr<MetafileWriter> writer)
    : dc_(winplat::CreateRecordingDC(width, height)), width_(width), height_(height), writer_(std::move(writer)) {}

MetafileSurface::~MetafileSurface() {
  if (dc_) winplat::DeleteDC(dc_);
}

std::vector<std::string> MetafileSurface::Calls() const {
  return dc_ ? winplat::RecordedCalls(dc_) : std::vector<std::string>{};
}

bool MetafileSurface::Close(const std::string& fileName, std::string& error) {
  if (!dc_) {
    error = "The metafile is closed.";
    return false;
  }
  const std::vector<std::string> calls = winplat::RecordedCalls(dc_);
  winplat::DeleteDC(dc_);
  dc_ = 0;
  if (!writer_) {
    error = "No metafile writer for " + fileName + ".";
    return false;
  }
  return writer_->Write(calls, width_, height_, fileName, error);
}

}  // namespace kelvane
