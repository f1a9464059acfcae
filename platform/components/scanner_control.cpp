// The scanner's dispatch members and events.
#include "winplat/components/scanner_control.h"

namespace winplat {

TextScannerControl::TextScannerControl() : ControlObject("vsAwk") {
  SetErrorSource("vsAwk");
  TextScanner& s = scanner_;
  AddProperty(
      ScannerDispId::Text, "Text", [&s](Args&) { return Variant(s.Text()); },
      [&s](Args&, const Variant& v) { s.SetText(v.ToString()); });
  AddProperty(
      ScannerDispId::FileName, "FileName", [&s](Args&) { return Variant(s.FileName()); },
      [&s](Args&, const Variant& v) { s.SetFileName(v.ToString()); });
  AddProperty(
      ScannerDispId::FS, "FS", [&s](Args&) { return Variant(s.FS()); },
      [&s](Args&, const Variant& v) { s.SetFS(v.ToString()); });
  AddProperty(
      ScannerDispId::StopScan, "StopScan", [&s](Args&) { return Variant(s.StopScan()); },
      [&s](Args&, const Variant& v) { s.SetStopScan(v.ToLong()); });
  AddProperty(ScannerDispId::FieldCount, "NF", [&s](Args&) { return Variant(s.FieldCount()); });
  AddProperty(
      ScannerDispId::LineNumber, "LineNumber", [&s](Args&) { return Variant(s.LineNumber()); },
      [&s](Args&, const Variant& v) { s.SetLineNumber(v.ToLong()); });
  AddProperty(ScannerDispId::Value, "Value", [&s](Args&) { return Variant(s.Value()); });
  AddProperty(ScannerDispId::Field, "Field", [&s](Args& a) { return Variant(s.Field(a.Long(0))); });

  s.OnLine = [this] { RaiseEvent(ScannerEventId::ScanLine, {}); };
  s.OnGetVariable = [this](const std::string& name, double& value, std::int16_t& handled) {
    RaiseEvent(ScannerEventId::GetVariable, {Variant(name), Variant::ByRef(&value), Variant::ByRef(&handled)});
  };
}

}  // namespace winplat
