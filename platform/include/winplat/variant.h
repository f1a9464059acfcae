#pragma once
// The object model's value type and its errors.
//
// A Variant holds one value of the automation types (empty, null, Integer,
// Long, Single, Double, date, String, Boolean as -1/0, object, error) or refers
// to a caller's variable (the by-reference forms). Conversions follow the
// language's rules: to Integer and Long by rounding halves to even, overflow
// and impossible conversions as automation errors 6 and 13.
#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace winplat {

using HRESULT = std::int32_t;
using DISPID = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);

// The number the control's procedures raise their errors with: the automation
// object-error base 0x80040000 plus 1.
constexpr std::int32_t vbObjectError = static_cast<std::int32_t>(0x80040000u);

// An automation error: number, source and description travel together.
class AutomationError : public std::exception {
 public:
  AutomationError(std::int32_t number, std::string source, std::string description)
      : number_(number), source_(std::move(source)), description_(std::move(description)) {}
  std::int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }
  void SetNumber(std::int32_t n) { number_ = n; }
  void SetSource(std::string s) { source_ = std::move(s); }
  void SetDescription(std::string d) { description_ = std::move(d); }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

// The run-time message of a numbered error ("Overflow" for 6, ...).
std::string ErrorText(std::int32_t number);
// An automation error with the run-time message of its number.
AutomationError RuntimeError(std::int32_t number, std::string source = {});

// ---- reference counting ----

class IUnknown {
 public:
  virtual std::uint32_t AddRef() noexcept = 0;
  virtual std::uint32_t Release() noexcept = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Owns one reference to an object.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to `p`.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  // Takes over the reference the caller holds.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  // From a pointer to a derived class only; other directions go through QueryInterface.
  template <class U>
    requires std::is_convertible_v<U*, T*>
  ComPtr(const ComPtr<U>& o) : ComPtr(static_cast<T*>(o.Get())) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Gives up ownership without releasing.
  T* Detach() { return std::exchange(p_, nullptr); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Creates an object whose only reference belongs to the returned pointer.
template <class T, class... A>
ComPtr<T> MakeObject(A&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<A>(args)...));
}

// Reference counting for a class that implements IUnknown's members through it.
class RefCounted {
 public:
  std::uint32_t AddRefImpl() noexcept { return ++refs_; }
  bool ReleaseImpl(std::uint32_t& left) noexcept {
    left = --refs_;
    return left == 0;
  }

 private:
  std::atomic<std::uint32_t> refs_{1};
};

class IDispatch;

enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Variant = 12,  // only as the target of a by-reference variant
};

constexpr std::int16_t VARIANT_TRUE = -1;
constexpr std::int16_t VARIANT_FALSE = 0;

class Variant {
 public:
  Variant() = default;
  Variant(std::int16_t v) : type_(VarType::Integer) { num_.i16 = v; }
  Variant(std::int32_t v) : type_(VarType::Long) { num_.i32 = v; }
  Variant(float v) : type_(VarType::Single) { num_.f32 = v; }
  Variant(double v) : type_(VarType::Double) { num_.f64 = v; }
  Variant(bool v) : type_(VarType::Boolean) { num_.i16 = v ? VARIANT_TRUE : VARIANT_FALSE; }
  Variant(const char* s) : type_(VarType::String), str_(s) {}
  Variant(std::string s) : type_(VarType::String), str_(std::move(s)) {}
  Variant(std::string_view s) : type_(VarType::String), str_(s) {}
  Variant(IDispatch* object);
  template <class T>
  Variant(const ComPtr<T>& object) : Variant(static_cast<IDispatch*>(object.Get())) {}
  Variant(const Variant& o);
  Variant(Variant&& o) noexcept;
  Variant& operator=(const Variant& o);
  Variant& operator=(Variant&& o) noexcept;
  ~Variant();

  static Variant Null();
  static Variant Date(double serial);
  static Variant Error(std::int32_t code);
  // The marker of an optional argument the caller left out.
  static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
  // An object variable set to Nothing.
  static Variant Nothing() { return Variant(static_cast<IDispatch*>(nullptr)); }

  // By-reference forms: the variant refers to the caller's variable; reads see
  // its current value and Assign writes into it, converted to its type.
  static Variant ByRef(Variant* target);
  static Variant ByRef(std::int16_t* target);
  static Variant ByRef(std::int32_t* target);
  static Variant ByRef(float* target);
  static Variant ByRef(double* target);
  static Variant ByRef(std::string* target);
  static Variant ByRef(ComPtr<IDispatch>* target);
  static Variant ByRefBoolean(std::int16_t* target);

  bool IsByRef() const { return byRef_; }
  // The type of the value held or referred to (through a referred variant too).
  VarType Type() const;
  bool IsEmpty() const { return Type() == VarType::Empty; }
  bool IsNull() const { return Type() == VarType::Null; }
  bool IsObject() const { return Type() == VarType::Object; }
  bool IsString() const { return Type() == VarType::String; }
  bool IsNumeric() const;
  bool IsMissing() const;

  // The value itself, with any reference followed.
  Variant Value() const;

  // Conversions; AutomationError 13 (type mismatch), 6 (overflow), 94 (null).
  std::int16_t ToInteger() const;
  std::int32_t ToLong() const;
  float ToSingle() const;
  double ToDouble() const;
  bool ToBool() const;
  std::int16_t ToBoolean() const { return ToBool() ? VARIANT_TRUE : VARIANT_FALSE; }
  std::string ToString() const;
  // Error 13 for a value that is not an object; Nothing gives an empty pointer.
  ComPtr<IDispatch> ToObject() const;
  // The error code of an error value.
  std::int32_t ErrorCode() const;

  // Stores `v`: through the reference when this is a by-reference variant
  // (converted to the referred variable's type), else replaces the value.
  void Assign(const Variant& v);

  // Same value for the property bag's default test: numbers compare by value,
  // texts exactly, objects by identity.
  friend bool SameValue(const Variant& a, const Variant& b);

 private:
  void Clear();
  void CopyFrom(const Variant& o);

  VarType type_ = VarType::Empty;
  bool byRef_ = false;
  union {
    std::int16_t i16;
    std::int32_t i32;
    float f32;
    double f64;
    void* ref;
  } num_{};
  std::string str_;
  IDispatch* obj_ = nullptr;
};

}  // namespace winplat

// Objects held by variants are dispatch objects.
#include "winplat/dispatch.h"  // IWYU pragma: export
