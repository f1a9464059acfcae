// The keyed collection and its enumerator.
#include "winplat/collection.h"

#include "winplat/text.h"

namespace winplat {

Collection::Collection() : DispatchObject("Collection") {
  AddMethod(DISPID_VALUE, "Item", [this](Args& a) { return Item(a[0]); }, 1);
  AddMethod(
      DISPID_ADD, "Add",
      [this](Args& a) {
        Add(a[0], a.Missing(1) ? Variant::Missing() : a[1], a.Missing(2) ? Variant::Missing() : a[2],
            a.Missing(3) ? Variant::Missing() : a[3]);
        return Variant();
      },
      4);
  AddProperty(DISPID_COUNT, "Count", [this](Args&) { return Variant(Count()); });
  AddMethod(
      DISPID_REMOVE, "Remove",
      [this](Args& a) {
        Remove(a[0]);
        return Variant();
      },
      1);
  AddMethod(
      DISPID_NEWENUM, "_NewEnum",
      [this](Args&) {
        std::vector<Variant> snapshot;
        for (const auto& e : items_) snapshot.push_back(e.item);
        return Variant(MakeObject<EnumVariant>(std::move(snapshot)));
      },
      0);
}

std::size_t Collection::Position(const Variant& indexOrKey) const {
  Variant k = indexOrKey.Value();
  if (k.IsString()) {
    auto found = index_.find(winplat::AsciiLower(k.ToString()));
    if (found == index_.end()) throw RuntimeError(5);
    return found->second;
  }
  std::int32_t index = k.ToLong();
  if (index < 1 || index > Count()) throw RuntimeError(9);
  return static_cast<std::size_t>(index - 1);
}

void Collection::Add(const Variant& item, const Variant& key, const Variant& before, const Variant& after) {
  Entry entry{item.Value(), std::nullopt};
  if (!key.IsMissing()) {
    std::string folded = winplat::AsciiLower(key.ToString());
    if (index_.count(folded)) throw RuntimeError(457);
    entry.key = folded;
  }
  if (!before.IsMissing() && !after.IsMissing()) throw RuntimeError(5);
  std::size_t at = items_.size();
  if (!before.IsMissing()) at = Position(before);
  if (!after.IsMissing()) at = Position(after) + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
  Reindex(at);
}

void Collection::Reindex(std::size_t from) {
  for (std::size_t i = from; i < items_.size(); ++i)
    if (items_[i].key) index_[*items_[i].key] = i;
}

Variant Collection::Item(const Variant& indexOrKey) const { return items_[Position(indexOrKey)].item; }

void Collection::Remove(const Variant& indexOrKey) {
  const std::size_t at = Position(indexOrKey);
  if (items_[at].key) index_.erase(*items_[at].key);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
  Reindex(at);
}

EnumVariant::EnumVariant(std::vector<Variant> items) : DispatchObject("IEnumVARIANT"), items_(std::move(items)) {
  AddMethod(
      1, "Next",
      [this](Args&) {
        Variant v;
        return Next(v) ? v : Variant();
      },
      0);
  AddMethod(
      2, "Reset",
      [this](Args&) {
        Reset();
        return Variant();
      },
      0);
}

bool EnumVariant::Next(Variant& item) noexcept {
  if (pos_ >= items_.size()) return false;
  item = items_[pos_++];
  return true;
}

}  // namespace winplat
