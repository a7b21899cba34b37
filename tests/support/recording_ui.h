#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/ui_port.h"

namespace orvi::test {

// Keeps every call the core makes to the windows, in order, as text:
// "post 20501", "box caption: text".
class RecordingUi final : public UiPort {
 public:
  // Runs on every posted command, as a window's command table would.
  std::function<void(int)> onCommand;

  void PostCommand(int id) override {
    Record("post " + std::to_string(id));
    if (onCommand) onCommand(id);
  }
  void MessageBox(const MessageSpec& box) override {
    Record("box " + box.caption + ": " + box.text);
  }

  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void Record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace orvi::test
