// CEvent: a small observer list standing in for an object's events. Subscribers are called in
// subscription order; a handler may subscribe or unsubscribe others while the event is raised.
// A subscription lasts as long as the CSubscription that Subscribe returns: dropping it (or
// calling Reset) removes the handler, and it is safe when the event has gone first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

class CSubscription {
 public:
  CSubscription() = default;
  template <typename List>
  CSubscription(const std::shared_ptr<List>& list, uint32_t token)
      : m_list(list),
        m_token(token),
        m_remove([](void* l, uint32_t t) { static_cast<List*>(l)->Remove(t); }) {}
  ~CSubscription() { Reset(); }
  CSubscription(CSubscription&& other) noexcept { *this = std::move(other); }
  CSubscription& operator=(CSubscription&& other) noexcept {
    if (this != &other) {
      Reset();
      m_list = std::move(other.m_list);
      m_token = std::exchange(other.m_token, 0);
      m_remove = std::exchange(other.m_remove, nullptr);
    }
    return *this;
  }
  CSubscription(const CSubscription&) = delete;
  CSubscription& operator=(const CSubscription&) = delete;

  // Removes the handler now (nothing when already removed or the event has gone).
  void Reset() {
    if (const std::shared_ptr<void> list = m_list.lock(); list && m_remove != nullptr)
      m_remove(list.get(), m_token);
    m_list.reset();
    m_token = 0;
  }
  // True while the handler is subscribed and the event exists.
  [[nodiscard]] bool Active() const { return m_token != 0 && !m_list.expired(); }

 private:
  std::weak_ptr<void> m_list;
  uint32_t m_token = 0;
  void (*m_remove)(void*, uint32_t) = nullptr;
};

template <typename... Args>
class CEvent {
 public:
  using Handler = std::function<void(Args...)>;

  CEvent() = default;
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  [[nodiscard]] CSubscription Subscribe(Handler handler) {
    m_list->entries.push_back({++m_list->lastToken, std::move(handler)});
    return CSubscription(m_list, m_list->lastToken);
  }
  // Arguments go to every handler as given; reference arguments let handlers answer (a cancel
  // flag) and see each other's answers.
  void Raise(Args... args) const {
    // The list is kept alive and copied, so handlers may change it (or end the subscriptions).
    const std::shared_ptr<List> list = m_list;
    const auto snapshot = list->entries;
    for (const Entry& e : snapshot) {
      if (e.handler && list->Contains(e.token)) e.handler(args...);
    }
  }
  [[nodiscard]] bool Empty() const { return m_list->entries.empty(); }

 private:
  struct Entry {
    uint32_t token;
    Handler handler;
  };
  struct List {
    std::vector<Entry> entries;
    uint32_t lastToken = 0;
    void Remove(uint32_t token) {
      for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->token == token) {
          entries.erase(it);
          return;
        }
      }
    }
    [[nodiscard]] bool Contains(uint32_t token) const {
      for (const Entry& e : entries)
        if (e.token == token) return true;
      return false;
    }
  };
  std::shared_ptr<List> m_list = std::make_shared<List>();
};

}  // namespace platform
