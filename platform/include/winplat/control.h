#pragma once
// The control model: a control object placed by a container (its site), with
// the container's ambient design or run mode, property bags that the container
// keeps in a file, events raised synchronously to the container's sink, and
// the size the container gives it.
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "winplat/dispatch.h"
#include "winplat/types.h"

namespace winplat {

struct Picture;

// Named values a control saves and restores. A value equal to its default is
// not written (so a name written twice with different defaults keeps the one
// value that differs from its default); a read of a name not stored gives the
// default. A container saves a control into a fresh bag. Of the objects only
// pictures are kept: the bag keeps a copy of the picture's pixels as it was
// written (Nothing, and a picture without pixels, are every object's default
// and not stored); any other object is refused with error 13.
class PropertyBag {
 public:
  Variant ReadProperty(std::string_view name, const Variant& defaultValue) const;
  void WriteProperty(std::string_view name, const Variant& value, const Variant& defaultValue);
  bool Contains(std::string_view name) const;
  std::size_t Size() const { return entries_.size(); }

  // The bag as text, one entry a line, and back. Parse raises error 5 with the
  // line number for a malformed text and leaves the bag unchanged; a picture
  // larger than kMaxPictureSide on a side is refused from its header, before
  // any of its pixels is decoded. A picture's PNG bytes are kept with its
  // entry, so a picture is decoded once and never encoded again to be saved.
  static constexpr int kMaxPictureSide = 4096;
  std::string Serialize() const;
  void Parse(std::string_view text);
  // Kept in a file by the container; the save replaces the file atomically.
  // LoadFile raises error 53 for a missing file and error 5 for a malformed one.
  void LoadFile(const std::filesystem::path& file);
  void SaveFile(const std::filesystem::path& file) const;

 private:
  struct Entry {
    std::string name;
    Variant value;
    std::string png;  // a picture's bytes as a PNG file
  };
  Entry* Find(std::string_view name);
  const Entry* Find(std::string_view name) const;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // entry by name, ASCII letters in lower case
};

// The container's side of a placed control.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  // Ambient user mode: true while the container runs, false in design mode.
  virtual bool AmbientUserMode() = 0;
  // A persisted property of the control changed (the container marks itself dirty).
  virtual void PropertyChanged(std::string_view name) = 0;
  // The container's window, parent of the control's windows (0 when none yet).
  virtual HWND ContainerWindow() = 0;
};

// Base of every control class: the container calls these entries (never
// raising); the control implements the protected hooks, which may raise.
class ControlObject : public DispatchObject {
 public:
  explicit ControlObject(std::string typeName) : DispatchObject(std::move(typeName)) {}

  HRESULT SetClientSite(ControlSite* site) noexcept;
  // A new instance: the defaults of a new control.
  HRESULT InitNew(ExcepInfo* excep) noexcept;
  // Restores, or saves, the persisted properties.
  HRESULT Load(const PropertyBag& bag, ExcepInfo* excep) noexcept;
  HRESULT Save(PropertyBag& bag, ExcepInfo* excep) noexcept;
  // The container sized the control (pixels).
  HRESULT SetExtent(std::int32_t width, std::int32_t height, ExcepInfo* excep) noexcept;
  // The container moved the control (pixels, in the container window's client area).
  HRESULT SetPosition(std::int32_t left, std::int32_t top) noexcept;
  // Connects the container's event sink; events go to every connected sink.
  HRESULT Advise(IDispatch* sink, std::uint32_t* cookie) noexcept;
  HRESULT Unadvise(std::uint32_t cookie) noexcept;
  // The container shows or hides the control.
  HRESULT SetVisible(bool visible) noexcept;
  // The container is done with the control (windows go, sinks are dropped).
  HRESULT Close() noexcept;
  // The ProgIDs of the property pages a design-mode container offers for it.
  const std::vector<std::string>& PropertyPages() const { return pages_; }

 protected:
  virtual void OnInitProperties() {}
  virtual void OnReadProperties(const PropertyBag&) {}
  virtual void OnWriteProperties(PropertyBag&) {}
  virtual void OnResize(std::int32_t, std::int32_t) {}
  virtual void OnMove(std::int32_t, std::int32_t) {}
  virtual void OnSiteChanged() {}
  virtual void OnVisibleChanged(bool) {}
  virtual void OnClose() {}

  // True without a site: a control that nobody placed is running.
  bool AmbientUserMode() const;
  void PropertyChanged(std::string_view name) const;
  HWND ContainerWindow() const;
  ControlSite* Site() const { return site_; }
  std::int32_t PositionLeft() const { return left_; }
  std::int32_t PositionTop() const { return top_; }
  std::int32_t ExtentWidth() const { return width_; }
  std::int32_t ExtentHeight() const { return height_; }

  // Raises an event synchronously on every sink, arguments by reference;
  // a sink's failure does not reach the control.
  void RaiseEvent(DISPID id, std::vector<Variant> args);
  void SetPropertyPages(std::vector<std::string> progIds) { pages_ = std::move(progIds); }

 private:
  template <class F>
  HRESULT Guard(ExcepInfo* excep, F f) noexcept;

  ControlSite* site_ = nullptr;
  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  struct Sink {
    std::uint32_t cookie;
    ComPtr<IDispatch> sink;
  };
  std::vector<Sink> sinks_;
  std::vector<std::string> pages_;
  std::uint32_t nextCookie_ = 1;
};

// A picture as a host sees it: a bitmap handle and its size in pixels.
class PictureObject : public DispatchObject {
 public:
  static constexpr DISPID DISPID_HANDLE = 0;
  static constexpr DISPID DISPID_TYPE = 5;
  static constexpr DISPID DISPID_WIDTH = 4;
  static constexpr DISPID DISPID_HEIGHT = 3;
  PictureObject(std::uint32_t bitmap, std::int32_t width, std::int32_t height);
  // A picture of its own: a new bitmap holding `pixels`, deleted with the
  // object; empty when no bitmap can be made of them. Given the pixels to
  // keep, the bitmap takes them without a copy.
  static ComPtr<PictureObject> FromPixels(const Picture& pixels);
  static ComPtr<PictureObject> FromPixels(Picture&& pixels);
  std::uint32_t Handle() const { return handle_; }
  // The pixels of its bitmap (an empty picture when the bitmap is gone).
  Picture Pixels() const;

 protected:
  ~PictureObject() override;

 private:
  std::uint32_t handle_;
  std::int32_t width_;
  std::int32_t height_;
  bool owned_ = false;
};

// An OLE colour (an RGB value, or a system colour 0x800000nn) as the RGB
// value to paint with.
COLORREF TranslateColor(std::uint32_t oleColor);

}  // namespace winplat
