// Table-driven dispatch objects: lookup by identifier and by name, argument
// checks, and the conversion of every failure into the error record.
#include "winplat/dispatch.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "winplat/numeric.h"
#include "winplat/text.h"

namespace winplat {
namespace {

void Fill(ExcepInfo* excep, std::int32_t number, std::string source, std::string description) {
  if (!excep) return;
  excep->number = number;
  excep->source = std::move(source);
  excep->description = std::move(description);
}

}  // namespace

const Variant& Args::operator[](std::size_t i) const {
  if (Missing(i)) throw RuntimeError(449);
  return args_[i];
}

void Args::Set(std::size_t i, const Variant& value) {
  if (i >= args_.size()) return;
  if (args_[i].IsByRef()) args_[i].Assign(value);
  else args_[i] = value.Value();
}

std::uint32_t DispatchObject::Release() noexcept {
  std::uint32_t left = 0;
  if (refs_.ReleaseImpl(left)) delete this;
  return left;
}

HRESULT DispatchObject::GetIDsOfNames(std::string_view name, DISPID* id) noexcept {
  if (!id) return E_POINTER;
  for (const auto& m : members_) {
    if (winplat::AsciiEqualNoCase(m.name, name)) {
      *id = m.id;
      return S_OK;
    }
  }
  *id = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

DispatchObject::Member* DispatchObject::Find(DISPID id) {
  for (auto& m : members_)
    if (m.id == id) return &m;
  return nullptr;
}

DispatchObject::Member& DispatchObject::Slot(DISPID id, std::string name) {
  if (Member* m = Find(id)) return *m;
  members_.push_back(Member{id, std::move(name), {}, 0, {}, {}, {}});
  return members_.back();
}

void DispatchObject::AddMethod(DISPID id, std::string name, MethodFn fn, int maxArgs) {
  Member& m = Slot(id, std::move(name));
  m.method = std::move(fn);
  m.maxArgs = maxArgs;
}

void DispatchObject::AddProperty(DISPID id, std::string name, MethodFn get, PutFn put, PutFn putRef) {
  Member& m = Slot(id, std::move(name));
  m.get = std::move(get);
  m.put = std::move(put);
  m.putRef = std::move(putRef);
}

#define FR_FIELD(TYPE, READ, CONVERT)                                                             \
  void DispatchObject::AddField(DISPID id, std::string name, TYPE* field) {                       \
    AddProperty(                                                                                  \
        id, std::move(name), [field](Args&) { return Variant(READ); },                            \
        [field](Args&, const Variant& v) { *field = CONVERT; });                                  \
  }
FR_FIELD(std::int16_t, *field, v.ToInteger())
FR_FIELD(std::int32_t, *field, v.ToLong())
FR_FIELD(float, *field, v.ToSingle())
FR_FIELD(double, *field, v.ToDouble())
FR_FIELD(std::string, *field, v.ToString())
FR_FIELD(Variant, *field, v.Value())
#undef FR_FIELD

void DispatchObject::AddField(DISPID id, std::string name, ComPtr<IDispatch>* field) {
  AddProperty(
      id, std::move(name), [field](Args&) { return Variant(field->Get()); }, {},
      [field](Args&, const Variant& v) { *field = v.ToObject(); });
}

void DispatchObject::AddBooleanField(DISPID id, std::string name, std::int16_t* field) {
  AddProperty(
      id, std::move(name), [field](Args&) { return Variant(*field != 0); },
      [field](Args&, const Variant& v) { *field = v.ToBoolean(); });
}

void DispatchObject::Call(Member& m, std::uint16_t flags, std::vector<Variant>& args, Variant& result) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (args.empty()) throw RuntimeError(450);
    Variant value = args.back().Value();
    std::vector<Variant> index(args.begin(), args.end() - 1);
    Args a(index, m.name);
    bool setForm = (flags & DISPATCH_PROPERTYPUTREF) != 0;
    const PutFn& fn = setForm ? (m.putRef ? m.putRef : m.put) : (m.put ? m.put : m.putRef);
    if (!fn) throw RuntimeError(383);
    fn(a, value);
    return;
  }
  Args a(args, m.name);
  // A read of a member that is only a method calls it (a call without parentheses).
  bool callMethod = m.method && ((flags & DISPATCH_METHOD) || ((flags & DISPATCH_PROPERTYGET) && !m.get));
  if (callMethod) {
    if (m.maxArgs >= 0 && args.size() > static_cast<std::size_t>(m.maxArgs)) throw RuntimeError(450);
    result = m.method(a);
    return;
  }
  if ((flags & DISPATCH_PROPERTYGET) && m.get) {
    result = m.get(a);
    return;
  }
  throw RuntimeError(438);
}

HRESULT DispatchObject::Invoke(DISPID id, std::uint16_t flags, std::vector<Variant>& args, Variant* result,
                               ExcepInfo* excep) noexcept {
  // Keeps the object alive while its member runs, whatever the member releases.
  AddRef();
  HRESULT hr = S_OK;
  try {
    Member* m = Find(id);
    if (!m) {
      Fill(excep, 438, errorSource_, ErrorText(438));
      hr = DISP_E_MEMBERNOTFOUND;
    } else {
      Variant value;
      Call(*m, flags, args, value);
      if (result) *result = std::move(value);
    }
  } catch (const AutomationError& e) {
    Fill(excep, e.Number(), e.Source().empty() ? errorSource_ : e.Source(), e.Description());
    hr = DISP_E_EXCEPTION;
  } catch (const NumericError& e) {
    Fill(excep, e.Number(), errorSource_, ErrorText(e.Number()));
    hr = DISP_E_EXCEPTION;
  } catch (const std::bad_alloc&) {
    Fill(excep, 7, errorSource_, ErrorText(7));
    hr = DISP_E_EXCEPTION;
  } catch (const std::exception& e) {
    Fill(excep, 5, errorSource_, e.what());
    hr = DISP_E_EXCEPTION;
  } catch (...) {
    Fill(excep, 5, errorSource_, ErrorText(5));
    hr = DISP_E_EXCEPTION;
  }
  Release();
  return hr;
}

}  // namespace winplat
