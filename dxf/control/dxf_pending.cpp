// Members of _DXF whose behaviour is not part of the control yet. A member
// with a strError argument (always its first) answers False and says so in
// strError, never raising; every other member raises an automation error that
// says so. A member that gets built replaces its entry here by its binding.
#include "dxf_control.h"

namespace kelvane {
namespace {

struct PendingMember {
  winplat::DISPID id;
  const char* name;
  int maxArgs;
  bool hasStrError;
};

constexpr PendingMember kPending[] = {
    {dispid::ExportMergedDXF, "ExportMergedDXF", 2, false},
    {dispid::DXFTransform, "DXFTransform", 8, false},
    {dispid::SetMergeExtents, "SetMergeExtents", 0, false},
    {dispid::FixUNIXFile, "FixUNIXFile", 3, true},
    {dispid::Save, "Save", 1, false},
};

}  // namespace

void DXF::RegisterPending() {
  for (const auto& m : kPending) {
    std::string name = m.name;
    if (m.hasStrError) {
      AddMethod(
          m.id, name,
          [name](winplat::Args& a) {
            try {
              a.Set(0, winplat::Variant("An error occurred in " + name + ". The message is: " + name +
                                        " is not built yet"));
            } catch (...) {
              // An strError the text cannot be stored in: the False result still tells.
            }
            return winplat::Variant(false);
          },
          m.maxArgs);
    } else {
      AddMethod(
          m.id, name, [name](winplat::Args&) -> winplat::Variant { throw ProcedureError(name, name + " is not built yet"); },
          m.maxArgs);
    }
  }
}

}  // namespace kelvane
