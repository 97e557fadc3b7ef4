// CForm: watches the main window. While CatchClose is set a user's close is refused and
// recorded; the window's unload sets Break (and is refused) so that the entry procedure stops
// after the current game cycle. Releasing the watcher lets the window go for good.
#pragma once

#include <cstdint>

#include "platform/CWindow.h"

namespace game {

class CForm {
 public:
  CForm() = default;
  ~CForm();
  CForm(const CForm&) = delete;
  CForm& operator=(const CForm&) = delete;

  // Watches `form` and loads it.
  void SetForm(platform::CWindow* form);
  [[nodiscard]] platform::CWindow* Form() const { return m_Form; }

  bool CatchClose = false;
  bool CloseRequested = false;
  [[nodiscard]] bool Break() const { return m_break; }

 private:
  void Unhook();

  platform::CWindow* m_Form = nullptr;
  bool m_break = false;
  bool m_terminating = false;
  platform::CSubscription m_query;
  platform::CSubscription m_unload;
};

}  // namespace game
