// The radius offset compensation pass. Each side pass collects one compensated
// contour at a time, then queues each run of it that has an offset and walks
// it once: at every junction the previous offset element is ended (at the
// crossing of the two offset elements of an inner corner where that lies near
// the part, else at its own offset end followed by a corner arc about the
// programmed corner; where the offset changes, by a step at the programmed
// point) and the last element closes the copy.
#include "toolpath/offset_pass.h"

#include <cmath>
#include <vector>

#include "winplat/numeric.h"

namespace fieldray::toolpath {
namespace {

const double kPi = 4.0 * std::atan(1.0);
constexpr double kNone = 0;  // an argument left empty

int Sgn(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

double Round3(double x) { return winplat::Val(winplat::Format(x, "######.000")); }

// P + d n(T), n(T) the unit vector at angle T.
Point2D Displace(const Point2D& p, double d, double t) {
  const double s = SgnNonNeg(d);
  return {p.X + std::fabs(d) * std::sin(s * kPi / 2 + t), p.Y - std::fabs(d) * std::cos(s * kPi / 2 + t)};
}

// Normal angle on the right of a line's direction (ux, uy).
double LineNormal(double ux, double uy) { return ux < 0 ? ArcCos(uy) : 2 * kPi - ArcCos(uy); }

Point2D Tangent(double t) { return {Round2(std::cos(kPi / 2 + t)), Round2(std::sin(kPi / 2 + t))}; }

std::int32_t DirOf(std::int32_t code) { return code == 2 ? 1 : -1; }

// An angle brought into [0, 2 pi).
double Turn(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

// One programmed element of a contour, for measuring how far a crossing lies
// from the part: a line from `From` to `To`, or an arc about `Centre` (dir +1
// clockwise, -1 counter-clockwise, 0 a line).
struct ProgrammedElement {
  Point2D From, To, Centre;
  std::int32_t Dir = 0;
};

double SegmentDistance(const Point2D& x, const Point2D& a, const Point2D& b) {
  const double vx = b.X - a.X, vy = b.Y - a.Y, len2 = vx * vx + vy * vy;
  double t = len2 == 0 ? 0 : ((x.X - a.X) * vx + (x.Y - a.Y) * vy) / len2;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(x.X - a.X - t * vx, x.Y - a.Y - t * vy);
}

// Distance from `x` to the element; a point outside an arc's sweep measures
// to the nearer end.
double ElementDistance(const Point2D& x, const ProgrammedElement& e) {
  if (e.Dir == 0) return SegmentDistance(x, e.From, e.To);
  auto angle = [&](const Point2D& p) { return std::atan2(p.Y - e.Centre.Y, p.X - e.Centre.X); };
  const double travel = -e.Dir;
  double sweep = Turn(travel * (angle(e.To) - angle(e.From)));
  if (sweep == 0) sweep = 2 * kPi;
  if (Turn(travel * (angle(x) - angle(e.From))) <= sweep) {
    const double r = std::hypot(e.To.X - e.Centre.X, e.To.Y - e.Centre.Y);
    return std::fabs(std::hypot(x.X - e.Centre.X, x.Y - e.Centre.Y) - r);
  }
  return std::fmin(std::hypot(x.X - e.From.X, x.Y - e.From.Y), std::hypot(x.X - e.To.X, x.Y - e.To.Y));
}

// How far two offset elements may miss each other (from the tangents' rounding)
// and still count as meeting where they touch.
constexpr double kTouch = 0.01;

struct SidePass {
  RadiusOffset& Ro;

  // Scan state.
  bool Active = false;
  std::int32_t Queued = 0;
  std::int32_t LastCode = 0;
  Point2D Current, Previous;
  double D = 0;
  Point2D LastCentre;
  double LastRadius = 0;
  double LastD = 0;  // offset of the last queued element

  // The contour being collected: its start and every element after it, those
  // on the copy's own side (offset 0) included; and its programmed geometry.
  struct Collected {
    PathElement Block;
    std::int16_t Code = 0;
    double D = 0, R = 0;
    Point2D End, Centre;
  };
  PathElement StartBlock;
  Point2D ContourStart, LastEnd;
  std::vector<Collected> Elements;
  std::vector<ProgrammedElement> Contour;
  std::size_t Base = 0;  // index in Contour of the first element queued
  std::size_t Here = 0;  // index in Contour of the element being offset

  // Contour state.
  Point2D A, B, S, E0, P, Q, O, PrevO, ClosingPoint;
  Point2D QAt;  // the programmed point Q was offset from
  double Tend = 0, T0 = 0, T1 = 0;
  std::int32_t PrevDir = 0;
  double PrevR = 0;
  double PrevD = 0;          // offset of the previous element
  bool StepToStart = false;  // a closed copy whose offset changes at its start
  Point2D StartPoint;
  bool Closed = false;
  std::int32_t Index = 0;
  bool Skip = false;
  Point2D Ex, Tx;  // rounded end tangent of the previous element, start tangent of the current

  void Add(std::int32_t code, double x, const Point2D& at, const Point2D& centre, double radius) {
    AddOffsetElement(Ro, code, x, at.X, at.Y, centre.X, centre.Y, radius);
  }

  // Sign of an emitted arc's radius from the angles its end points make.
  static double SignedRadius(const AnglePair& angles, std::int32_t dir, double r, double rho) {
    const int s = Sgn(std::sin(static_cast<double>(angles.EndAngle) - angles.StartAngle));
    return s == 0 ? Sgn(r) * rho : -dir * s * rho;
  }

  void EmitPrevious(const Point2D& x) {
    if (LastCode == 1) {
      Add(1, D, x, {}, 0);
      return;
    }
    const double rho1 = std::fabs(PrevR) - PrevDir * PrevD;
    const AnglePair angles = ArcAngles(S, x, PrevO, rho1);
    Add(PrevDir == -1 ? 3 : 2, D, x, PrevO, SignedRadius(angles, PrevDir, PrevR, rho1));
  }

  void StartAt(Point2D x) {
    ClosingPoint = x;
    if (!Closed) x = P;
    E0 = StartPoint = x;
    Add(0, kNone, x, {}, kNone);
  }

  void EmitOrStart(const Point2D& x) {
    E0 = x;
    if (Index > 1)
      EmitPrevious(x);
    else
      StartAt(x);
  }

  bool Reversal() const { return std::cos(Tend - T0) < -0.99; }

  // A crossing farther from every programmed element than half as much again
  // as the offset lies beyond the part: a copy trimmed there would run across
  // it. Any other crossing is the trim, where the path turns back too.
  // The two elements at the joint are looked at first: most crossings lie
  // beside them.
  bool Far(const Point2D& x) const {
    const double limit = 1.5 * std::fabs(D) + 0.5;
    if (Here < Contour.size() && ElementDistance(x, Contour[Here]) <= limit) return false;
    if (Here > 0 && Here <= Contour.size() && ElementDistance(x, Contour[Here - 1]) <= limit) return false;
    for (const ProgrammedElement& e : Contour)
      if (ElementDistance(x, e) <= limit) return false;
    return true;
  }

  // Ends the previous copy at the crossing `x`, or, where that lies beyond
  // the part, turns round the programmed corner.
  void JoinAt(const Point2D& x) {
    if (Far(x))
      OuterCorner(!Reversal());
    else
      EmitOrStart(x);
  }

  // Where the offset changes between two elements the previous copy ends at
  // its own offset end and a step at the programmed point joins it to the
  // current copy's start.
  void SideStep() {
    E0 = P;
    if (Index > 1) {
      EmitPrevious(Q);
      Ro.HoldAttributes = true;
      Add(1, D, P, {}, 0);
    } else {
      ClosingPoint = Q;
      StepToStart = Closed;
      StartPoint = P;
      Add(0, kNone, P, {}, kNone);
    }
  }

  // The corner arc about the programmed corner from the previous copy's end
  // to the next copy's start, turning in the outer corner's sense; with
  // `shortWay` (an inner joint that has no usable crossing) it takes the
  // shorter way round, so that it never loops about the corner.
  void OuterCorner(bool shortWay = false) {
    if (Index > 1) {
      E0 = Q;
      EmitPrevious(Q);
      if (TwoCorners()) return;
      // Past a dropped arc the corner is where the previous copy ends; the
      // current one then runs on from the corner arc's end.
      const Point2D& corner = QAt;
      const AnglePair angles = ArcAngles(Q, Displace(corner, D, T0), corner, D);
      if (std::fabs(angles.StartAngle / DegreeFactor - angles.EndAngle / DegreeFactor) > 2.5) {
        E0 = Displace(corner, std::fabs(D), angles.EndAngle);
        Ro.HoldAttributes = true;
        std::int32_t code = D > 0 ? 3 : 2;
        const double counterClockwise = Turn(static_cast<double>(angles.EndAngle) - angles.StartAngle);
        if (shortWay && (code == 3 ? counterClockwise : 2 * kPi - counterClockwise) > kPi) code = 5 - code;
        Add(code, D, E0, corner, std::fabs(D));
      }
    } else {
      ClosingPoint = Q;
      E0 = StartPoint = P;
      Add(0, kNone, P, {}, kNone);
    }
  }

  // Past a dropped arc whose ends lie nearer than twice the offset, the
  // corner arcs about both ends meet: the copy turns round the first to
  // where they cross and round the second to the current copy's start.
  bool TwoCorners() {
    const double gap = std::hypot(A.X - QAt.X, A.Y - QAt.Y), d = std::fabs(D);
    if (gap == 0 || gap >= 2 * d) return false;
    const double h = std::sqrt(d * d - gap * gap / 4);
    const double ux = (A.X - QAt.X) / gap, uy = (A.Y - QAt.Y) / gap;
    const Point2D m{(A.X + QAt.X) / 2, (A.Y + QAt.Y) / 2};
    Point2D x{m.X - h * uy, m.Y + h * ux};
    const Point2D y{m.X + h * uy, m.Y - h * ux};
    const Point2D mid{(Q.X + P.X) / 2, (Q.Y + P.Y) / 2};
    if (std::hypot(y.X - mid.X, y.Y - mid.Y) < std::hypot(x.X - mid.X, x.Y - mid.Y)) x = y;
    Ro.HoldAttributes = true;
    Add(D > 0 ? 3 : 2, D, x, QAt, d);
    Add(D > 0 ? 3 : 2, D, P, A, d);
    E0 = P;
    return true;
  }

  void LineAfterLine() {
    const double det = Tx.Y * Ex.X - Tx.X * Ex.Y;
    if (det != 0) {
      const double c1 = Ex.X * Q.Y - Ex.Y * Q.X;
      const double c2 = Tx.Y * P.X - Tx.X * P.Y;
      JoinAt({(c1 * Tx.X + c2 * Ex.X) / det, (c1 * Tx.Y + c2 * Ex.Y) / det});
    } else if (Reversal()) {
      OuterCorner();
    } else if (Index <= 1) {
      StartAt(P);
      if (Queued == 1) ClosingPoint = Q;
    }
  }

  void LineAfterArc() {
    const double rho1 = std::fabs(PrevR) - PrevDir * D;
    const double vx = P.X - PrevO.X, vy = P.Y - PrevO.Y;
    const double along = vx * Tx.X + vy * Tx.Y;
    const double h = std::sqrt(std::fabs(vx * vx + vy * vy - along * along));
    const double sigma = Sgn(-vx * std::cos(T0) - vy * std::sin(T0));
    const double kappa = PrevDir * SgnNonNeg(D);
    Point2D x;
    if (h > rho1 + kTouch) {
      // The line misses the arc's offset circle: the arc ends on it.
      OuterCorner(!Reversal());
      return;
    }
    if (h >= rho1) {
      x = {PrevO.X - sigma * h * std::cos(T0), PrevO.Y - sigma * h * std::sin(T0)};
    } else {
      const double alpha = ArcCos(h / rho1);
      const double t = T0 + sigma * kappa * alpha;
      x = {PrevO.X - sigma * rho1 * std::cos(t), PrevO.Y - sigma * rho1 * std::sin(t)};
    }
    JoinAt(x);
  }

  void DropArc() {
    Skip = true;
    --Index;
  }

  void ArcAfterLine(std::int32_t dir, double r) {
    if (dir * D >= std::fabs(r)) {
      DropArc();
      return;
    }
    const double rho = std::fabs(r) - dir * D;
    const double vx = O.X - Q.X, vy = O.Y - Q.Y;
    const double h = std::fabs(vx * Ex.Y - vy * Ex.X);
    if (h > rho + kTouch) {
      // The arc's offset circle misses the line's: it starts on its own circle.
      OuterCorner(!Reversal());
      return;
    }
    const double alpha = ArcCos(h / rho);
    const double sigma = Sgn(vx * std::cos(Tend) + vy * std::sin(Tend));
    const double kappa = dir * SgnNonNeg(D);
    const double t = Tend - sigma * kappa * alpha;
    JoinAt({O.X - sigma * rho * std::cos(t), O.Y - sigma * rho * std::sin(t)});
  }

  void ArcAfterArc(std::int32_t dir, double r) {
    if (PrevDir * D >= std::fabs(PrevR)) {
      E0 = S;
      return;
    }
    if (dir * D >= std::fabs(r)) {
      DropArc();
      return;
    }
    if (Queued == 1) {
      ClosingPoint = E0;
      Add(0, kNone, Closed ? E0 : P, {}, kNone);
      if (!Closed) E0 = P;
      return;
    }
    const double rho1 = std::fabs(PrevR) - PrevDir * D;
    const double rho2 = std::fabs(r) - dir * D;
    const double dist = PointDist(PrevO, O);
    if (dist == 0) {
      // Concentric: the same circle, unless the path turns back along it.
      if (std::fabs(rho1 - rho2) > kTouch) {
        OuterCorner(!Reversal());
        return;
      }
      E0 = P;
    } else {
      double phi = ArcCos((O.Y - PrevO.Y) / dist);
      if (!(O.X > PrevO.X)) phi = 2 * kPi - phi;
      const double a = (dist * dist - rho2 * rho2 + rho1 * rho1) / (2 * dist);
      if (std::fabs(a) > rho1 + kTouch) {
        // The offset circles do not meet: each arc keeps to its own.
        OuterCorner(!Reversal());
        return;
      }
      const double w2 = rho1 * rho1 - a * a;
      const double w = w2 < 0 ? 0 : std::sqrt(w2);
      const double beta1 = ArcSin(w / rho1);
      const double beta2 = ArcSin(w / rho2);
      const double reach1 = rho1 * std::cos(beta1), reach2 = rho2 * std::cos(beta2);
      if (reach1 + reach2 - dist > 1e-05 && reach1 < reach2) phi += kPi;
      const double q = (Q.X - PrevO.X) * std::sin(phi + kPi / 2) + (Q.Y - PrevO.Y) * std::cos(phi + kPi / 2);
      const double s = std::fabs(q) < 1e-05 ? SgnNonNeg(D) : Sgn(q);
      const Point2D x{PrevO.X + rho1 * std::sin(s * beta1 + phi), PrevO.Y + rho1 * std::cos(s * beta1 + phi)};
      if (Far(x)) {
        OuterCorner(!Reversal());
        return;
      }
      E0 = x;
    }
    if (Index > 1)
      EmitPrevious(E0);
    else
      StartAt(E0);
  }

  // Angles of the arc from `from` to `to`: from its radius when its centre is
  // marked as still to be worked out (the centre is set then), else about `centre`.
  AnglePair ArcEnds(const Point2D& from, const Point2D& to, Point2D& centre, double r, std::int32_t dir) {
    if (centre.X == -9999) {
      const ArcSolution arc = OffsetArcFromRadius(from, to, r, dir, Ro.Reports);
      centre = arc.Centre;
      return {arc.StartAngle, arc.EndAngle};
    }
    return ArcAngles(from, to, centre, r);
  }

  void OffsetContour() {
    // An active contour with nothing queued after its start has nothing to offset.
    if (Queued == 0) return;

    // The last element's end normal: the first junction joins it to the first.
    Tend = 0;
    const Point2D p0 = Previous, p1 = Current;
    if (LastCode == 1) {
      if (PointDist(p0, p1) != 0) {
        const double len = PointDist(p0, p1);
        Tend = LineNormal((p1.X - p0.X) / len, (p1.Y - p0.Y) / len);
      }
    } else {
      const std::int32_t dir = DirOf(LastCode);
      double r = LastRadius;
      if (dir * D > std::fabs(r)) r = std::fabs(D) * Sgn(r);
      Point2D centre = LastCentre;
      const AnglePair angles = ArcEnds(p0, p1, centre, r, dir);
      Tend = angles.EndAngle + (LastCode == 2 ? kPi : 0);
      PrevO = centre;
      PrevDir = dir;
      PrevR = r;
    }
    if (LastCode == 1) PrevDir = 0;
    PrevD = LastD;
    StepToStart = false;
    Ex = Tangent(Tend);

    std::int16_t code = 88;
    OffsetValues v;
    GetOffsetInput(Ro, code, v);
    A = {v.F2, v.F3};
    Closed = A.X == p1.X && A.Y == p1.Y;
    Index = 1;
    Skip = false;
    E0 = S = A;

    std::int32_t dir = -1;
    double r = 0;
    for (std::int32_t k = 0; k < Queued; ++k) {
      Here = Base + static_cast<std::size_t>(k);
      code = 0;
      GetOffsetInput(Ro, code, v);
      D = v.F1;
      B = {v.F2, v.F3};
      O = {v.F4, v.F5};
      r = v.F6;
      int kind;
      if (code == 1) {
        kind = LastCode == 1 ? 1 : 2;
        const double len = PointDist(A, B) + 1e-09;
        T0 = T1 = LineNormal((B.X - A.X) / len, (B.Y - A.Y) / len);
      } else {
        dir = DirOf(code);
        kind = LastCode == 1 ? 3 : 4;
        if (dir * D > std::fabs(r)) r = std::fabs(D) * Sgn(r);
        const AnglePair angles = ArcEnds(A, B, O, r, dir);
        T0 = angles.StartAngle + (code == 2 ? kPi : 0);
        T1 = angles.EndAngle + (code == 2 ? kPi : 0);
      }
      Tx = Tangent(T0);
      if (!Skip) {
        Q = Displace(A, PrevD, Tend);
        QAt = A;
      }
      P = Displace(A, D, T0);
      Ro.HoldAttributes = false;

      Skip = false;
      const bool outer = IsOuterCorner(D, Tend, T0, code, LastCode);
      if (D != PrevD && (code == 1 || dir * D < std::fabs(r))) {
        SideStep();
      } else if ((outer && kind != 4) || (kind == 4 && Index <= 1)) {
        OuterCorner();
      } else if (kind == 1) {
        LineAfterLine();
      } else if (kind == 2) {
        LineAfterArc();
      } else if (kind == 3) {
        ArcAfterLine(dir, r);
      } else {
        ArcAfterArc(dir, r);
      }

      if (!Skip) {
        S = E0;
        LastCode = code;
        PrevO = O;
        PrevDir = code == 1 ? 0 : dir;
        PrevR = r;
        PrevD = D;
        Tend = T1;
        Ex = Tangent(T1);
      }
      A = B;
      ++Index;
    }

    E0 = ClosingPoint;
    if (!Closed) E0 = Displace(B, D, Tend);
    if (LastCode == 1) {
      Add(1, D, E0, {}, 0);
    } else if (LastCode == 2 || LastCode == 3) {
      const double rho = std::fabs(PrevR) - PrevDir * D;
      const AnglePair angles = ArcAngles(S, E0, PrevO, rho);
      Add(LastCode, D, E0, PrevO, SignedRadius(angles, PrevDir, PrevR, rho));
    } else {
      Add(88, D, E0, {}, 0);
    }
    if (StepToStart) Add(1, D, StartPoint, {}, 0);
  }

  // Offsets the collected contour: each run of elements with an offset is
  // queued and offset as a copy of its own, so that a run on the copy's own
  // side ends one copy and the next element with an offset starts another.
  void Flush() {
    const PathElement current = Ro.CurrentBlock;
    Point2D at = ContourStart;
    std::size_t k = 0;
    while (k < Elements.size()) {
      if (Elements[k].D == 0) {
        at = Elements[k++].End;
        continue;
      }
      Ro.CurrentBlock = StartBlock;
      Base = k;
      PutOffsetInput(Ro, 88, StartBlock.CompRadius, at.X, at.Y, 0, 0, 0);
      Current = Previous = at;
      Queued = 0;
      for (; k < Elements.size() && Elements[k].D != 0; ++k) {
        const Collected& c = Elements[k];
        Ro.CurrentBlock = c.Block;
        Previous = Current;
        Current = c.End;
        ++Queued;
        PutOffsetInput(Ro, c.Code, c.D, c.End.X, c.End.Y, c.Centre.X, c.Centre.Y, c.R);
        LastCode = c.Code;
        LastD = D = c.D;
        if (c.Code != 1) {
          LastCentre = c.Centre;
          LastRadius = c.R;
        }
      }
      at = Current;
      OffsetContour();
    }
    Ro.CurrentBlock = current;
  }

  // Takes one element into the contour being collected.
  void Collect(std::int16_t code, const Point2D& end, const Point2D& centre, double r) {
    const bool arc = code != 1 && centre.X != -9999;
    Contour.push_back({LastEnd, end, centre, arc ? DirOf(code) : 0});
    Elements.push_back({Ro.CurrentBlock, code, D, r, end, centre});
    LastEnd = end;
  }

  void Run(const PathArray& path, std::int32_t side) {
    Active = false;
    for (std::size_t j = 1; j < path.size(); ++j) {
      Ro.CurrentBlock = path[j];
      const PathElement& e = Ro.CurrentBlock;
      const std::int32_t m = e.MoveCode;
      const Point2D end{e.EndX, e.EndY};
      if (m == 88) {
        if (Active) Flush();
        Active = false;
        if (e.CycleCode == 5) {
          D = OffsetModeDelta(Ro, side);
          if (D != 0) {
            StartBlock = Ro.CurrentBlock;
            ContourStart = LastEnd = end;
            Elements.clear();
            Contour.clear();
            Active = true;
          }
        }
      } else if (m == 1) {
        if (Active) {
          D = OffsetModeDelta(Ro, side);
          // A line of no length adds nothing; one that runs back over the
          // element before it is kept (the far side of a slot).
          if (PointDist(end, LastEnd) != 0) Collect(1, end, {}, 0);
        }
      } else if (m == 2 || m == 3) {
        if (Active) {
          D = OffsetModeDelta(Ro, side);
          const double r = std::hypot(e.CentreX - e.EndX, e.CentreY - e.EndY);
          Collect(m == 2 ? 3 : 2, end, {e.CentreX, e.CentreY}, r);
        }
      } else {
        if (Active) Flush();
        Active = false;
      }
      Ro.DefaultBlock = Ro.CurrentBlock;
    }
    if (Active) Flush();
    Active = false;
  }
};

}  // namespace

bool IsOuterCorner(double r, double& a1, double& a2, std::int32_t k1, std::int32_t k2) {
  const double m = VarMax(k1, k2);
  bool result = Sgn((m - 2.5) * r) < 0 && std::cos(a1 - a2) < -0.99;
  const double fullTurn = 8 * std::atan(1.0);
  if (std::fabs(a1) >= fullTurn) a1 -= Sgn(a1) * fullTurn;
  if (std::fabs(a2) >= fullTurn) a2 -= Sgn(a2) * fullTurn;
  const double degrees = winplat::CLng((a1 - a2) * 180 / kPi);
  const double t = degrees * fullTurn * 0.5 / 180;
  const double v = Round3(Sgn(r) * std::sin(t));
  if (std::cos(a1 - a2) >= -0.99 && (v < 0 || r == 0)) result = true;
  return result;
}

void RadiusOffsetPass(RadiusOffset& ro, const PathArray& path) {
  ro.OffsetOutput.assign(1, PathElement{});
  ro.OutputCount = -1;
  SidePass pass{ro};
  for (std::int32_t side = 0; side <= 2; ++side) pass.Run(path, side);
}

void AppendOffsetPath(ProgramState& state, RadiusOffset& ro) {
  RadiusOffsetPass(ro, state.PathElements);
  AppendOffsetOutput(state.PathElements, ro);
}

}  // namespace fieldray::toolpath
