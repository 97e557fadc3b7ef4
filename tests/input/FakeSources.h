// Test doubles for the keyboard and mouse sources: the test sets what the devices report.
#pragma once

#include <initializer_list>

#include "input/IKeyStateSource.h"
#include "input/IMouseStateSource.h"

namespace input::testing {

class FakeKeys final : public IKeyStateSource {
 public:
  KeyBytes keys{};
  KeyReadResult result = KeyReadResult::kOk;

  KeyReadResult Read(KeyBytes& out) override {
    if (result == KeyReadResult::kOk) out = keys;
    return result;
  }
  void Set(std::initializer_list<int> scanCodes) {
    keys.fill(0);
    for (int sc : scanCodes) keys[static_cast<size_t>(sc)] = 0x80;
  }
};

class FakeMouse final : public IMouseStateSource {
 public:
  MouseReading reading;
  MouseReadResult result = MouseReadResult::kOk;

  MouseReadResult Read(MouseReading& out) override {
    if (result == MouseReadResult::kOk) out = reading;
    return result;
  }
};

}  // namespace input::testing
