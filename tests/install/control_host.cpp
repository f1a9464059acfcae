// A host of the view control built from an install alone: registers the
// control's library, creates KelvaneEnt.DXF by ProgID, reads a drawing and
// prints its extents.
//   control_host LIBRARY DRAWING    (DRAWING a path of the machine root, C:\...)
#include <kelvaneent/kelvaneent.h>
#include <winplat/classreg.h>
#include <winplat/container.h>

#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  using namespace winplat;
  namespace dispid = kelvane::dispid;
  if (argc != 3) {
    std::fprintf(stderr, "usage: control_host LIBRARY DRAWING\n");
    return 2;
  }
  if (RegisterServerLibrary(argv[1]) != S_OK) {
    std::fprintf(stderr, "control_host: cannot register %s\n", argv[1]);
    return 1;
  }
  try {
    // In run mode, in a window of its own: the host has no form to put it on.
    ComPtr<PlacedControl> site = PlaceControl(kelvane::kProgID, "DXF1", 0, true);
    ExcepInfo excep;
    if (site->Move(0, 0, 640, 480, &excep) != S_OK)
      throw AutomationError(excep.number, excep.source, excep.description);
    IDispatch* dxf = site->Object();
    Invoke(dxf, dispid::CalcExtents, DISPATCH_PROPERTYPUT, {Variant(true)});
    Invoke(dxf, dispid::Filename, DISPATCH_PROPERTYPUT, {Variant(std::string(argv[2]))});
    Invoke(dxf, dispid::Regen, DISPATCH_METHOD, {Variant(std::int32_t{0}), Variant(0.0f), Variant(0.0f)});
    float left = 0, top = 0, right = 0, bottom = 0;
    Variant known =
        Invoke(dxf, dispid::GetExtents, DISPATCH_METHOD,
               {Variant::ByRef(&left), Variant::ByRef(&top), Variant::ByRef(&right), Variant::ByRef(&bottom)});
    if (!known.ToBool()) {
      std::fprintf(stderr, "control_host: %s has no extents\n", argv[2]);
      return 1;
    }
    std::printf("extents %g %g %g %g\n", left, top, right, bottom);
    return 0;
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "control_host: error %d: %s\n", static_cast<int>(e.Number()), e.Description().c_str());
    return 1;
  }
}
