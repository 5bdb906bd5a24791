// ShowState: the records, lists and flags through which every part of the program exchanges data.
//
// The records and lists exist between AllocateShowState and ReleaseShowState; ShowData() reaches them and
// treats any use outside that span as an internal failure. The flags and references are plain globals.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "show/lifecycle.h"
#include "show/text.h"

namespace heartstage {

// A control: (window identifier, control identifier). A window is addressed as a control of its own.
struct ControlRef {
  std::uint32_t Window = 0;
  std::uint32_t Control = 0;
  friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

// A list counted from 1 whose every indexed access checks its index; a bad index is an internal failure.
template <typename Item>
class ShowList {
 public:
  ShowList() = default;
  explicit ShowList(std::vector<Item> items) : items_(std::move(items)) {}

  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  const Item& At(std::int64_t index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index - 1)];
  }
  Item& At(std::int64_t index) {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index - 1)];
  }

  void Append(Item item) { items_.push_back(std::move(item)); }
  void Reserve(std::size_t count) { items_.reserve(count); }
  const std::vector<Item>& Items() const { return items_; }

 private:
  void CheckIndex(std::int64_t index) const {
    if (index < 1 || index > Count()) ReportFatalError(FatalFailure::ListIndexOutOfRange);
  }

  std::vector<Item> items_;
};

struct PicturesRecord {
  ByteBuffer Background;
  ByteBuffer Normal;
  ByteBuffer Focus;
};

// Milliseconds.
struct DelaysRecord {
  std::int32_t Subtitle = 0;
  std::int32_t Painting = 0;
  std::int32_t Flicker = 0;
};

struct ShowTextsRecord {
  Text Subtitle;
  Text Name;
  std::int32_t Color = 0;  // 0x00BBGGRR
};

struct ScreenSizeRecord {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

struct ShowState {
  PicturesRecord Pictures;
  ShowList<ControlRef> HeartButtons;
  DelaysRecord Delays;
  ShowList<Text> Messages;
  ScreenSizeRecord ScreenSize;
  ShowList<std::int32_t> HeartX;
  ShowList<std::int32_t> HeartY;
  ShowTextsRecord ShowTexts;
};

// The transparent colour of the heart buttons and the key colour of the subtitle overlay: magenta.
inline constexpr std::int32_t ColorKey = 0xFF00FF;

// The records and lists; an internal failure when they are not allocated.
ShowState& ShowData();
bool ShowStateAllocated();

void AllocateShowState();
// Releases the records and lists; touches no control, window or thread. Safe to call when nothing is
// allocated.
void ReleaseShowState();

// Flags and references.
inline ControlRef EventButton;
inline std::atomic<std::int32_t> ChaseStop{0};
inline std::thread ChaseThread;

}  // namespace heartstage
