#pragma once
// Small DXF drawings written by the tests: an ENTITIES section of lines,
// circles, arcs, polylines with bulges and text, in the file's group pairs.
#include <sstream>
#include <string>
#include <vector>

namespace enginetest {

struct PolyVertex {
  double x, y, bulge;
};

class DxfText {
 public:
  DxfText& Line(double x1, double y1, double x2, double y2) {
    Entity("LINE");
    Pair(10, x1).Pair(20, y1).Pair(11, x2).Pair(21, y2);
    return *this;
  }
  DxfText& Circle(double x, double y, double r) {
    Entity("CIRCLE");
    Pair(10, x).Pair(20, y).Pair(40, r);
    return *this;
  }
  DxfText& Arc(double x, double y, double r, double start, double end) {
    Entity("ARC");
    Pair(10, x).Pair(20, y).Pair(40, r).Pair(50, start).Pair(51, end);
    return *this;
  }
  // An old-style POLYLINE; each vertex's bulge belongs to the segment it starts.
  DxfText& Polyline(const std::vector<PolyVertex>& vertices, bool closed = false) {
    Entity("POLYLINE");
    Pair(66, "1").Pair(70, closed ? "1" : "0");
    for (const PolyVertex& v : vertices) {
      Entity("VERTEX");
      Pair(10, v.x).Pair(20, v.y);
      if (v.bulge != 0) Pair(42, v.bulge);
    }
    Entity("SEQEND");
    return *this;
  }
  DxfText& Text(double x, double y, const std::string& text) {
    Entity("TEXT");
    Pair(10, x).Pair(20, y).Pair(40, 2.5).Pair(1, text);
    return *this;
  }
  std::string Str() const { return "0\nSECTION\n2\nENTITIES\n" + body_ + "0\nENDSEC\n0\nEOF\n"; }

 private:
  void Entity(const char* name) {
    Pair(0, name);
    Pair(8, "0");
  }
  DxfText& Pair(int code, const std::string& value) {
    body_ += std::to_string(code) + "\n" + value + "\n";
    return *this;
  }
  DxfText& Pair(int code, const char* value) { return Pair(code, std::string(value)); }
  DxfText& Pair(int code, double value) {
    std::ostringstream s;
    s.precision(12);
    s << value;
    return Pair(code, s.str());
  }
  std::string body_;
};

}  // namespace enginetest
