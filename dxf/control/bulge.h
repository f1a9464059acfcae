#pragma once
// Centre, radius and angles of a bulged polyline segment's arc.

namespace kelvane {

// Centre X: X1 - ox when the bulge turns the same way as the chord runs, else X1 + ox.
float BulgeCenterX(float dx, float dy, float X1, float ox, float Bulge);
// Centre Y: halfway up a vertical chord, else Y1 +- oy.
float BulgeCenterY(float dx, float dy, float Y1, float oy, float Bulge);
// Start angle (radians) of the counterclockwise arc.
float BulgeStartAngle(float dx, float dy, float g, float Bulge, float t);
// End angle: start + |t|.
float BulgeEndAngle(float Bulge, float dx, float dy, float start, float t);

struct BulgeArc {
  float CenterX = 0, CenterY = 0, Radius = 0, StartAngle = 0, EndAngle = 0;
};
// The arc of the segment from (X1, Y1) to (X2, Y2); radius 0 for a chord of no length.
BulgeArc BulgeGeometry(float X1, float Y1, float X2, float Y2, float Bulge);

}  // namespace kelvane
