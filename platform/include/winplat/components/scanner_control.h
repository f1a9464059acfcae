#pragma once
// The text scanner as a control reached by dispatch identifier (members in
// ScannerDispId) whose events go to the container's sink (ids in ScannerEventId).
#include "winplat/components/scanner.h"
#include "winplat/control.h"

namespace winplat {

namespace ScannerEventId {
constexpr DISPID ScanLine = 1;     // no arguments: the current text is the line
constexpr DISPID GetVariable = 2;  // Name (String), Value (Double, by reference), Handled (Integer, by reference)
}  // namespace ScannerEventId

class TextScannerControl : public ControlObject {
 public:
  TextScannerControl();
  TextScanner& Scanner() { return scanner_; }

 private:
  TextScanner scanner_;
};

}  // namespace winplat
