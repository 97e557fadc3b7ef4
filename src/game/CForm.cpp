// Window watcher: close query and unload handlers.
#include "game/CForm.h"

#include <cstdio>

namespace game {

CForm::~CForm() {
  m_terminating = true;
  if (m_Form != nullptr) {
    m_Form->Close(platform::CWindow::kCloseByCode);
    Unhook();
  }
}

void CForm::Unhook() {
  if (m_Form == nullptr) return;
  m_query.Reset();
  m_unload.Reset();
  m_Form = nullptr;
}

void CForm::SetForm(platform::CWindow* form) {
  Unhook();
  m_Form = form;
  if (form == nullptr) return;
  m_query = form->QueryUnload.Subscribe([this](int32_t& cancel, int32_t) {
    if (CatchClose && !m_terminating) {
      cancel = 1;
      CloseRequested = true;
    }
  });
  m_unload = form->UnloadEvent.Subscribe([this](int32_t& cancel) {
    if (m_terminating) return;
    m_break = true;
    cancel = 1;
  });
  if (!form->Load())
    std::fprintf(stderr, "tumbleroo: no window: %s\n", form->LastError().c_str());
}

}  // namespace game
