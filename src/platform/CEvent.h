// CEvent: a small observer list standing in for an object's events. Subscribers are called in
// subscription order; a handler may subscribe or unsubscribe others while the event is raised.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

template <typename... Args>
class CEvent {
 public:
  using Handler = std::function<void(Args...)>;

  // A token for Unsubscribe; never 0.
  uint32_t Subscribe(Handler handler) {
    m_handlers.push_back({++m_lastToken, std::move(handler)});
    return m_lastToken;
  }
  void Unsubscribe(uint32_t token) {
    for (auto it = m_handlers.begin(); it != m_handlers.end(); ++it) {
      if (it->token == token) {
        m_handlers.erase(it);
        return;
      }
    }
  }
  // Arguments go to every handler as given; reference arguments let handlers answer (a cancel
  // flag) and see each other's answers.
  void Raise(Args... args) const {
    const auto snapshot = m_handlers;
    for (const Entry& e : snapshot) {
      if (e.handler && Contains(e.token)) e.handler(args...);
    }
  }
  [[nodiscard]] bool Empty() const { return m_handlers.empty(); }

 private:
  struct Entry {
    uint32_t token;
    Handler handler;
  };
  [[nodiscard]] bool Contains(uint32_t token) const {
    for (const Entry& e : m_handlers)
      if (e.token == token) return true;
    return false;
  }
  std::vector<Entry> m_handlers;
  uint32_t m_lastToken = 0;
};

}  // namespace platform
