#pragma once
// The keyed collection: items by 1-based position or by key (keys compared
// without regard to letter case), with the usual members Add, Item (the
// default member), Count, Remove and the enumeration _NewEnum.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "winplat/dispatch.h"

namespace winplat {

class Collection : public DispatchObject {
 public:
  static constexpr DISPID DISPID_ADD = 1;
  static constexpr DISPID DISPID_COUNT = 2;
  static constexpr DISPID DISPID_REMOVE = 3;

  Collection();

  // Adds `item` at the end, or before/after the item named by position or key.
  // Error 457 for a key already used, 5 for a bad position.
  void Add(const Variant& item, const Variant& key = Variant::Missing(), const Variant& before = Variant::Missing(),
           const Variant& after = Variant::Missing());
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // Error 9 for a position out of range, 5 for an unknown key.
  Variant Item(const Variant& indexOrKey) const;
  void Remove(const Variant& indexOrKey);

 private:
  struct Entry {
    Variant item;
    std::optional<std::string> key;
  };
  std::size_t Position(const Variant& indexOrKey) const;
  // Renews the positions of the keyed items from `from` on (after an insert
  // or a removal moved them).
  void Reindex(std::size_t from);

  std::vector<Entry> items_;
  // Position of every keyed item by its folded key, kept beside the items so
  // a keyed Add or Item does not scan them.
  std::unordered_map<std::string, std::size_t> index_;
};

// The enumerator _NewEnum returns; it walks a snapshot of the items.
class EnumVariant : public DispatchObject {
 public:
  explicit EnumVariant(std::vector<Variant> items);
  // The next item, false after the last.
  bool Next(Variant& item) noexcept;
  void Reset() noexcept { pos_ = 0; }

 private:
  std::vector<Variant> items_;
  std::size_t pos_ = 0;
};

// The enumerator of any collection object (its member _NewEnum), called on
// the caller's side.
inline ComPtr<EnumVariant> NewEnum(IDispatch* collection) {
  Variant e = Invoke(collection, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  auto en = QueryInterface<EnumVariant>(e.ToObject().Get());
  if (!en) throw RuntimeError(438);
  return en;
}

}  // namespace winplat
