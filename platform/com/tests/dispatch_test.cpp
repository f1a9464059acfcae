#include <gtest/gtest.h>

#include "winplat/collection.h"
#include "winplat/dispatch.h"
#include "winplat/numeric.h"

namespace {

using namespace winplat;

// A small object with a method of by-reference and optional arguments,
// a property with a rule, and public fields.
class Sample : public DispatchObject {
 public:
  Sample() : DispatchObject("Sample") {
    SetErrorSource("SampleLib");
    // Divide(strError byref, a, b, [scale = 1]) -> Boolean; quotient in a.
    AddMethod(
        0x60030000, "Divide",
        [](Args& a) {
          if (a.Double(2) == 0) {
            a.Set(0, Variant("division by zero"));
            return Variant(false);
          }
          a.Set(1, Variant(a.Double(1) / a.Double(2) * a.Single(3, 1.0f)));
          a.Set(0, Variant(""));
          return Variant(true);
        },
        4);
    AddMethod(0x60030001, "Grow", [](Args& a) { return Variant(AddInt(a.Integer(0), 1)); }, 1);
    AddMethod(
        0x60030002, "Fail", [](Args&) -> Variant { throw AutomationError(vbObjectError + 1, "Fail", "went wrong"); },
        0);
    AddProperty(
        0x68030000, "Path", [this](Args&) { return Variant(path); },
        [this](Args&, const Variant& v) {
          path = v.ToString();
          if (path.empty() || path.back() != '\\') path += '\\';
        });
    AddField(0x40030000, "X1", &x1);
    AddBooleanField(0x40030001, "Flag", &flag);
    AddField(0x40030002, "Child", &child);
  }
  std::string path;
  float x1 = 0;
  std::int16_t flag = 0;
  ComPtr<IDispatch> child;
};

TEST(Dispatch, MembersByIdentifierAndByNameInAnyCase) {
  auto s = MakeObject<Sample>();
  EXPECT_EQ(DispIdOf(s.Get(), "divide"), 0x60030000);
  EXPECT_EQ(DispIdOf(s.Get(), "DIVIDE"), 0x60030000);
  EXPECT_EQ(DispIdOf(s.Get(), "x1"), 0x40030000);
  try {
    DispIdOf(s.Get(), "Multiply");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 438);
  }
  // A method read like a property is called.
  EXPECT_EQ(Invoke(s.Get(), 0x60030001, DISPATCH_PROPERTYGET, {Variant(std::int16_t{4})}).ToLong(), 5);
  std::vector<Variant> none;
  ExcepInfo excep;
  EXPECT_EQ(s->Invoke(0x12345, DISPATCH_METHOD, none, nullptr, &excep), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(excep.number, 438);
}

TEST(Dispatch, ByReferenceAndOptionalArguments) {
  auto s = MakeObject<Sample>();
  std::string err = "old";
  double quotient = 7;
  Variant ok = CallMethod(s.Get(), "Divide", {Variant::ByRef(&err), Variant::ByRef(&quotient), Variant(4.0)});
  EXPECT_TRUE(ok.ToBool());
  EXPECT_EQ(quotient, 1.75);
  EXPECT_EQ(err, "");
  // The optional argument given, then left out explicitly.
  quotient = 7;
  CallMethod(s.Get(), "divide", {Variant::ByRef(&err), Variant::ByRef(&quotient), Variant(1.0), Variant(2.0f)});
  EXPECT_EQ(quotient, 14);
  quotient = 7;
  CallMethod(s.Get(), "divide", {Variant::ByRef(&err), Variant::ByRef(&quotient), Variant(7.0), Variant::Missing()});
  EXPECT_EQ(quotient, 1);
  // Passed by value: the caller's value stays.
  double byValue = 9;
  CallMethod(s.Get(), "Divide", {Variant::ByRef(&err), Variant(byValue), Variant(3.0)});
  EXPECT_EQ(byValue, 9);
  EXPECT_FALSE(CallMethod(s.Get(), "Divide", {Variant::ByRef(&err), Variant(1.0), Variant(0.0)}).ToBool());
  EXPECT_EQ(err, "division by zero");
}

TEST(Dispatch, ArgumentErrorsComeBackAsRecords) {
  auto s = MakeObject<Sample>();
  std::string err;
  auto number = [&](std::vector<Variant> args) {
    try {
      CallMethod(s.Get(), "Divide", std::move(args));
    } catch (const AutomationError& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(number({Variant::ByRef(&err), Variant(1.0)}), 449);                          // required b missing
  EXPECT_EQ(number({Variant::ByRef(&err), Variant(1.0), Variant::Missing()}), 449);      // b left out
  EXPECT_EQ(number({Variant::ByRef(&err), Variant(1.0), Variant("x")}), 13);             // type mismatch
  EXPECT_EQ(number({Variant::ByRef(&err), Variant(1.0), Variant(1.0), Variant(1.0f), Variant(1)}), 450);
  // Overflow inside the member: the number of the numeric error, the object's source.
  try {
    CallMethod(s.Get(), "Grow", {Variant(std::int16_t{32767})});
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 6);
    EXPECT_EQ(e.Source(), "SampleLib");
    EXPECT_EQ(e.Description(), "Overflow");
  }
  try {
    CallMethod(s.Get(), "Fail");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), vbObjectError + 1);
    EXPECT_EQ(e.Source(), "Fail");
    EXPECT_EQ(e.Description(), "went wrong");
  }
}

TEST(Dispatch, PropertiesAndFieldsGetPutAndPutByReference) {
  auto s = MakeObject<Sample>();
  PutProperty(s.Get(), "path", Variant("C:\\TEMP"));
  EXPECT_EQ(GetProperty(s.Get(), "PATH").ToString(), "C:\\TEMP\\");
  PutProperty(s.Get(), "x1", Variant("2.5"));
  EXPECT_EQ(s->x1, 2.5f);
  PutProperty(s.Get(), "flag", Variant(std::int32_t{3}));
  EXPECT_EQ(s->flag, -1);
  EXPECT_EQ(GetProperty(s.Get(), "Flag").Type(), VarType::Boolean);
  // An object field takes the Set form; a plain value is refused.
  auto child = MakeObject<Collection>();
  PutPropertyRef(s.Get(), "Child", Variant(child));
  EXPECT_EQ(s->child.Get(), child.Get());
  EXPECT_THROW(PutPropertyRef(s.Get(), "Child", Variant(std::int32_t{1})), AutomationError);
  PutPropertyRef(s.Get(), "Child", Variant::Nothing());
  EXPECT_FALSE(s->child);
}

TEST(Dispatch, ReferenceCountsFreeObjectsWhenTheLastOwnerLetsGo) {
  static int alive = 0;
  struct Counted : DispatchObject {
    Counted() : DispatchObject("Counted") { ++alive; }
    ~Counted() override { --alive; }
  };
  {
    auto a = MakeObject<Counted>();
    EXPECT_EQ(alive, 1);
    Variant held(a);
    auto col = MakeObject<Collection>();
    col->Add(held);
    a.Reset();
    held = Variant();
    EXPECT_EQ(alive, 1);  // the collection still holds it
    col->Remove(Variant(std::int32_t{1}));
    EXPECT_EQ(alive, 0);
  }
  EXPECT_EQ(alive, 0);
}

}  // namespace
