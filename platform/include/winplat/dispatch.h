#pragma once
// Dispatch objects: members reached by dispatch identifier or by name (without
// regard to letter case), property get, put and put-by-reference, methods with
// by-reference and optional arguments.
//
// The boundary between a host and a server library is Invoke: it never lets a
// C++ exception out, but returns DISP_E_EXCEPTION with the error's number,
// source and description in an ExcepInfo; the caller's side (the inline
// helpers below) raises it again as an AutomationError.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/variant.h"

namespace winplat {

constexpr std::uint16_t DISPATCH_METHOD = 1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr std::uint16_t DISPATCH_PROPERTYPUTREF = 8;

constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_NEWENUM = -4;

// The error record that crosses the boundary in place of an exception.
struct ExcepInfo {
  std::int32_t number = 0;
  std::string source;
  std::string description;
};

class IDispatch : public IUnknown {
 public:
  // DISP_E_UNKNOWNNAME when the object has no member of that name.
  virtual HRESULT GetIDsOfNames(std::string_view name, DISPID* id) noexcept = 0;
  // `args` in the order the member declares them; for a property put the new
  // value is the last. A left-out optional argument is Variant::Missing().
  virtual HRESULT Invoke(DISPID id, std::uint16_t flags, std::vector<Variant>& args, Variant* result,
                         ExcepInfo* excep) noexcept = 0;
  // The class name the object reports ("DXF", "clsLine", "Collection").
  virtual std::string TypeName() const = 0;
};

// ---- the caller's side: raises the error record as an AutomationError ----

inline DISPID DispIdOf(IDispatch* object, std::string_view name) {
  if (!object) throw RuntimeError(91);
  DISPID id = DISPID_UNKNOWN;
  if (object->GetIDsOfNames(name, &id) != S_OK) throw RuntimeError(438);
  return id;
}

inline Variant Invoke(IDispatch* object, DISPID id, std::uint16_t flags, std::vector<Variant> args = {}) {
  if (!object) throw RuntimeError(91);
  Variant result;
  ExcepInfo excep;
  HRESULT hr = object->Invoke(id, flags, args, &result, &excep);
  if (hr != S_OK) {
    if (excep.number == 0) excep = ExcepInfo{438, {}, ErrorText(438)};
    throw AutomationError(excep.number, excep.source, excep.description);
  }
  return result;
}

// obj.Name(args...) or a property read with arguments.
inline Variant CallMethod(IDispatch* object, std::string_view name, std::vector<Variant> args = {}) {
  return Invoke(object, DispIdOf(object, name), DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}
inline Variant GetProperty(IDispatch* object, std::string_view name) {
  return Invoke(object, DispIdOf(object, name), DISPATCH_PROPERTYGET);
}
inline void PutProperty(IDispatch* object, std::string_view name, const Variant& value) {
  Invoke(object, DispIdOf(object, name), DISPATCH_PROPERTYPUT, {value});
}
inline void PutPropertyRef(IDispatch* object, std::string_view name, const Variant& value) {
  Invoke(object, DispIdOf(object, name), DISPATCH_PROPERTYPUTREF, {value});
}

// ---- the server's side ----

// The arguments of one call, as a member's implementation sees them.
class Args {
 public:
  Args(std::vector<Variant>& args, std::string_view member) : args_(args), member_(member) {}
  std::size_t Count() const { return args_.size(); }
  // True for an argument the caller left out (or did not pass at all).
  bool Missing(std::size_t i) const { return i >= args_.size() || args_[i].IsMissing(); }
  // The argument; error 449 when a required argument is missing.
  const Variant& operator[](std::size_t i) const;
  std::int16_t Integer(std::size_t i) const { return (*this)[i].ToInteger(); }
  std::int32_t Long(std::size_t i) const { return (*this)[i].ToLong(); }
  float Single(std::size_t i) const { return (*this)[i].ToSingle(); }
  double Double(std::size_t i) const { return (*this)[i].ToDouble(); }
  std::string String(std::size_t i) const { return (*this)[i].ToString(); }
  bool Bool(std::size_t i) const { return (*this)[i].ToBool(); }
  // Optional arguments with their defaults.
  float Single(std::size_t i, float def) const { return Missing(i) ? def : Single(i); }
  std::int16_t Integer(std::size_t i, std::int16_t def) const { return Missing(i) ? def : Integer(i); }
  bool Bool(std::size_t i, bool def) const { return Missing(i) ? def : Bool(i); }
  // Writes an output argument: into the caller's variable when passed by
  // reference; a value passed by value (or left out) takes the write locally.
  void Set(std::size_t i, const Variant& value);
  std::string_view Member() const { return member_; }

 private:
  std::vector<Variant>& args_;
  std::string_view member_;
};

using MethodFn = std::function<Variant(Args&)>;
using PutFn = std::function<void(Args&, const Variant&)>;

// An object whose members come from a table filled by its constructor.
class DispatchObject : public IDispatch {
 public:
  explicit DispatchObject(std::string typeName) : typeName_(std::move(typeName)) {}
  std::uint32_t AddRef() noexcept override { return refs_.AddRefImpl(); }
  std::uint32_t Release() noexcept override;
  HRESULT GetIDsOfNames(std::string_view name, DISPID* id) noexcept override;
  HRESULT Invoke(DISPID id, std::uint16_t flags, std::vector<Variant>& args, Variant* result,
                 ExcepInfo* excep) noexcept override;
  std::string TypeName() const override { return typeName_; }

  // Source reported with errors that carry none (the library's name).
  void SetErrorSource(std::string source) { errorSource_ = std::move(source); }
  const std::string& ErrorSource() const { return errorSource_; }

 protected:
  ~DispatchObject() override = default;

  // A method taking at most `maxArgs` arguments (extra ones: error 450).
  void AddMethod(DISPID id, std::string name, MethodFn fn, int maxArgs);
  // A property; `put` handles assignment, `putRef` the Set form (when only one
  // is given it serves both).
  void AddProperty(DISPID id, std::string name, MethodFn get, PutFn put = {}, PutFn putRef = {});
  // Public fields read and written by name.
  void AddField(DISPID id, std::string name, std::int16_t* field);
  void AddField(DISPID id, std::string name, std::int32_t* field);
  void AddField(DISPID id, std::string name, float* field);
  void AddField(DISPID id, std::string name, double* field);
  void AddField(DISPID id, std::string name, std::string* field);
  void AddField(DISPID id, std::string name, Variant* field);
  void AddField(DISPID id, std::string name, ComPtr<IDispatch>* field);
  void AddBooleanField(DISPID id, std::string name, std::int16_t* field);

 private:
  struct Member {
    DISPID id = 0;
    std::string name;
    MethodFn method;
    int maxArgs = 0;
    MethodFn get;
    PutFn put;
    PutFn putRef;
  };
  Member* Find(DISPID id);
  Member& Slot(DISPID id, std::string name);
  void Call(Member& m, std::uint16_t flags, std::vector<Variant>& args, Variant& result);

  RefCounted refs_;
  std::string typeName_;
  std::string errorSource_;
  std::vector<Member> members_;
};

// The interface an object offers besides dispatch, found by its C++ type (one
// platform library per process, so the object's type is known to every caller).
template <class T>
ComPtr<T> QueryInterface(IDispatch* object) {
  return ComPtr<T>(dynamic_cast<T*>(object));
}

}  // namespace winplat
