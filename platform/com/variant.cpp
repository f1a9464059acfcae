// Variant values, their conversions and the run-time error texts.
#include "winplat/text.h"
#include "winplat/variant.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "winplat/dispatch.h"
#include "winplat/numeric.h"

namespace winplat {

std::string ErrorText(std::int32_t number) {
  switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 57: return "Device I/O error";
    case 61: return "Disk full";
    case 70: return "Permission denied";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 382: return "Set not supported at runtime";
    case 383: return "Set not supported (read-only property)";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 457: return "This key is already associated with an element of this collection";
    default: return "Application-defined or object-defined error";
  }
}

AutomationError RuntimeError(std::int32_t number, std::string source) {
  return AutomationError(number, std::move(source), ErrorText(number));
}

namespace {

AutomationError Mismatch() { return RuntimeError(13); }

// A text read as a number: surrounding blanks allowed, "&H" and "&O" prefixes,
// anything else that is not wholly a number is a type mismatch.
double ParseNumber(const std::string& text) {
  const std::string t = winplat::TrimSpace(text);
  if (t.empty()) throw Mismatch();
  if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o')) {
    int base = (t[1] == 'H' || t[1] == 'h') ? 16 : 8;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(t.c_str() + 2, &end, base);
    if (*end != '\0' || errno != 0 || v > 0xFFFFFFFFull) throw Mismatch();
    // Up to four hex digits name an Integer, more a Long (two's complement).
    if (v <= 0xFFFF && t.size() - 2 <= 4) return static_cast<std::int16_t>(v);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if (*end != '\0' || std::isnan(v) || std::isinf(v)) throw Mismatch();
  if (errno == ERANGE && std::fabs(v) > 1) throw RuntimeError(6);
  return v;
}

// Converts through the numeric conventions, their overflow as error 6.
template <class F>
auto Checked(F f) -> decltype(f()) {
  try {
    return f();
  } catch (const NumericError& e) {
    throw RuntimeError(e.Number());
  }
}

Variant DefaultValue(IDispatch* object) {
  if (!object) throw RuntimeError(91);
  Variant v = Invoke(object, DISPID_VALUE, DISPATCH_PROPERTYGET);
  if (v.IsObject()) throw Mismatch();
  return v;
}

}  // namespace

Variant::Variant(IDispatch* object) : type_(VarType::Object), obj_(object) {
  if (obj_) obj_->AddRef();
}

Variant::Variant(const Variant& o) { CopyFrom(o); }

Variant::Variant(Variant&& o) noexcept
    : type_(o.type_), byRef_(o.byRef_), num_(o.num_), str_(std::move(o.str_)), obj_(std::exchange(o.obj_, nullptr)) {
  o.type_ = VarType::Empty;
  o.byRef_ = false;
}

Variant& Variant::operator=(const Variant& o) {
  if (this != &o) {
    Variant copy(o);
    *this = std::move(copy);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& o) noexcept {
  if (this != &o) {
    Clear();
    type_ = o.type_;
    byRef_ = o.byRef_;
    num_ = o.num_;
    str_ = std::move(o.str_);
    obj_ = std::exchange(o.obj_, nullptr);
    o.type_ = VarType::Empty;
    o.byRef_ = false;
  }
  return *this;
}

Variant::~Variant() { Clear(); }

void Variant::Clear() {
  if (obj_) std::exchange(obj_, nullptr)->Release();
  str_.clear();
  type_ = VarType::Empty;
  byRef_ = false;
}

void Variant::CopyFrom(const Variant& o) {
  type_ = o.type_;
  byRef_ = o.byRef_;
  num_ = o.num_;
  str_ = o.str_;
  obj_ = o.obj_;
  if (obj_) obj_->AddRef();
}

Variant Variant::Null() {
  Variant v;
  v.type_ = VarType::Null;
  return v;
}

Variant Variant::Date(double serial) {
  Variant v;
  v.type_ = VarType::Date;
  v.num_.f64 = serial;
  return v;
}

Variant Variant::Error(std::int32_t code) {
  Variant v;
  v.type_ = VarType::Error;
  v.num_.i32 = code;
  return v;
}

#define FR_BYREF(TYPE, VT)                  \
  Variant Variant::ByRef(TYPE* target) {    \
    Variant v;                              \
    v.type_ = VT;                           \
    v.byRef_ = true;                        \
    v.num_.ref = static_cast<void*>(target); \
    return v;                               \
  }
FR_BYREF(Variant, VarType::Variant)
FR_BYREF(std::int16_t, VarType::Integer)
FR_BYREF(std::int32_t, VarType::Long)
FR_BYREF(float, VarType::Single)
FR_BYREF(double, VarType::Double)
FR_BYREF(std::string, VarType::String)
FR_BYREF(ComPtr<IDispatch>, VarType::Object)
#undef FR_BYREF

Variant Variant::ByRefBoolean(std::int16_t* target) {
  Variant v = ByRef(target);
  v.type_ = VarType::Boolean;
  return v;
}

VarType Variant::Type() const {
  if (byRef_ && type_ == VarType::Variant) return static_cast<const Variant*>(num_.ref)->Type();
  return type_;
}

bool Variant::IsNumeric() const {
  switch (Type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
    case VarType::Boolean:
    case VarType::Empty: return true;
    case VarType::String:
      try {
        ParseNumber(Value().str_);
        return true;
      } catch (const AutomationError&) {
        return false;
      }
    default: return false;
  }
}

bool Variant::IsMissing() const { return Type() == VarType::Error && ErrorCode() == DISP_E_PARAMNOTFOUND; }

Variant Variant::Value() const {
  if (!byRef_) return *this;
  void* p = num_.ref;
  switch (type_) {
    case VarType::Variant: return static_cast<const Variant*>(p)->Value();
    case VarType::Integer: return Variant(*static_cast<std::int16_t*>(p));
    case VarType::Long: return Variant(*static_cast<std::int32_t*>(p));
    case VarType::Single: return Variant(*static_cast<float*>(p));
    case VarType::Double: return Variant(*static_cast<double*>(p));
    case VarType::String: return Variant(*static_cast<std::string*>(p));
    case VarType::Object: return Variant(static_cast<ComPtr<IDispatch>*>(p)->Get());
    case VarType::Boolean: {
      Variant v(false);
      v.num_.i16 = *static_cast<std::int16_t*>(p);
      return v;
    }
    default: return Variant();
  }
}

double Variant::ToDouble() const {
  if (byRef_) return Value().ToDouble();
  switch (type_) {
    case VarType::Empty: return 0;
    case VarType::Null: throw RuntimeError(94);
    case VarType::Integer:
    case VarType::Boolean: return num_.i16;
    case VarType::Long: return num_.i32;
    case VarType::Single: return num_.f32;
    case VarType::Double:
    case VarType::Date: return num_.f64;
    case VarType::String: return ParseNumber(str_);
    case VarType::Object: return DefaultValue(obj_).ToDouble();
    default: throw Mismatch();
  }
}

std::int16_t Variant::ToInteger() const {
  if (byRef_) return Value().ToInteger();
  switch (type_) {
    case VarType::Integer:
    case VarType::Boolean: return num_.i16;
    default: {
      double d = ToDouble();
      return Checked([&] { return CInt(d); });
    }
  }
}

std::int32_t Variant::ToLong() const {
  if (byRef_) return Value().ToLong();
  switch (type_) {
    case VarType::Integer:
    case VarType::Boolean: return num_.i16;
    case VarType::Long: return num_.i32;
    default: {
      double d = ToDouble();
      return Checked([&] { return CLng(d); });
    }
  }
}

float Variant::ToSingle() const {
  if (byRef_) return Value().ToSingle();
  if (type_ == VarType::Single) return num_.f32;
  double d = ToDouble();
  return Checked([&] { return CSng(d); });
}

bool Variant::ToBool() const {
  if (byRef_) return Value().ToBool();
  if (type_ == VarType::String) {
    if (winplat::AsciiEqualNoCase(str_, "True")) return true;
    if (winplat::AsciiEqualNoCase(str_, "False")) return false;
  }
  return ToDouble() != 0;
}

std::string Variant::ToString() const {
  if (byRef_) return Value().ToString();
  switch (type_) {
    case VarType::Empty: return {};
    case VarType::Null: throw RuntimeError(94);
    case VarType::Integer: return std::to_string(num_.i16);
    case VarType::Long: return std::to_string(num_.i32);
    case VarType::Boolean: return num_.i16 ? "True" : "False";
    case VarType::Single: return CStr(num_.f32);
    case VarType::Double:
    case VarType::Date: return CStr(num_.f64);
    case VarType::String: return str_;
    case VarType::Object: return DefaultValue(obj_).ToString();
    case VarType::Error: return "Error " + std::to_string(num_.i32);
    default: throw Mismatch();
  }
}

ComPtr<IDispatch> Variant::ToObject() const {
  if (byRef_) return Value().ToObject();
  if (type_ != VarType::Object) throw RuntimeError(424);
  return ComPtr<IDispatch>(obj_);
}

std::int32_t Variant::ErrorCode() const {
  if (byRef_) return Value().ErrorCode();
  if (type_ != VarType::Error) throw Mismatch();
  return num_.i32;
}

void Variant::Assign(const Variant& v) {
  if (!byRef_) {
    *this = v.Value();
    return;
  }
  void* p = num_.ref;
  switch (type_) {
    case VarType::Variant: *static_cast<Variant*>(p) = v.Value(); break;
    case VarType::Integer: *static_cast<std::int16_t*>(p) = v.ToInteger(); break;
    case VarType::Long: *static_cast<std::int32_t*>(p) = v.ToLong(); break;
    case VarType::Single: *static_cast<float*>(p) = v.ToSingle(); break;
    case VarType::Double: *static_cast<double*>(p) = v.ToDouble(); break;
    case VarType::String: *static_cast<std::string*>(p) = v.ToString(); break;
    case VarType::Boolean: *static_cast<std::int16_t*>(p) = v.ToBoolean(); break;
    case VarType::Object: *static_cast<ComPtr<IDispatch>*>(p) = v.ToObject(); break;
    default: throw Mismatch();
  }
}

bool SameValue(const Variant& a, const Variant& b) {
  Variant x = a.Value(), y = b.Value();
  VarType tx = x.Type(), ty = y.Type();
  if (tx == VarType::Object || ty == VarType::Object) return tx == ty && x.obj_ == y.obj_;
  if (tx == VarType::Null || ty == VarType::Null) return tx == ty;
  if (tx == VarType::Error || ty == VarType::Error) return tx == ty && x.num_.i32 == y.num_.i32;
  if (tx == VarType::String || ty == VarType::String) return tx == ty && x.str_ == y.str_;
  return x.ToDouble() == y.ToDouble();
}

}  // namespace winplat
