// Menu data and the deferred click queue.
#include "CMenuBar.h"

namespace platform {

int32_t CMenuBar::AddMenu(const std::string& caption, Callback onClick) {
  Menu m;
  m.caption = caption;
  m.onClick = std::move(onClick);
  m_menus.push_back(std::move(m));
  ++m_revision;
  return static_cast<int32_t>(m_menus.size()) - 1;
}

int32_t CMenuBar::AddItem(int32_t menu, const std::string& caption, Callback onClick, bool radio) {
  Menu* m = GetMenu(menu);
  if (m == nullptr) return -1;
  Item item;
  item.caption = caption;
  item.onClick = std::move(onClick);
  item.radio = radio;
  m->items.push_back(std::move(item));
  ++m_revision;
  return static_cast<int32_t>(m->items.size()) - 1;
}

void CMenuBar::Clear() {
  m_menus.clear();
  m_pending.clear();
  ++m_revision;
}

CMenuBar::Menu* CMenuBar::GetMenu(int32_t menu) {
  if (menu < 0 || static_cast<size_t>(menu) >= m_menus.size()) return nullptr;
  return &m_menus[static_cast<size_t>(menu)];
}

CMenuBar::Item* CMenuBar::GetItem(int32_t menu, int32_t item) {
  Menu* m = GetMenu(menu);
  if (m == nullptr || item < 0 || static_cast<size_t>(item) >= m->items.size()) return nullptr;
  return &m->items[static_cast<size_t>(item)];
}

void CMenuBar::SetChecked(int32_t menu, int32_t item, bool checked) {
  if (Item* i = GetItem(menu, item)) i->checked = checked;
}

bool CMenuBar::Checked(int32_t menu, int32_t item) const {
  if (menu < 0 || static_cast<size_t>(menu) >= m_menus.size()) return false;
  const Menu& m = m_menus[static_cast<size_t>(menu)];
  if (item < 0 || static_cast<size_t>(item) >= m.items.size()) return false;
  return m.items[static_cast<size_t>(item)].checked;
}

void CMenuBar::SetEnabled(int32_t menu, int32_t item, bool enabled) {
  if (item < 0) {
    if (Menu* m = GetMenu(menu)) m->enabled = enabled;
  } else if (Item* i = GetItem(menu, item)) {
    i->enabled = enabled;
  }
}

void CMenuBar::Click(int32_t menu, int32_t item) {
  Menu* m = GetMenu(menu);
  if (m == nullptr || !m->enabled) return;
  if (item < 0) {
    if (m->onClick) m_pending.push_back(m->onClick);
    return;
  }
  Item* i = GetItem(menu, item);
  if (i != nullptr && i->enabled && i->onClick) m_pending.push_back(i->onClick);
}

void CMenuBar::RunPending() {
  std::vector<Callback> run;
  run.swap(m_pending);
  for (const Callback& c : run) c();
}

std::string CMenuBar::AllCaptions() const {
  std::string all;
  for (const Menu& m : m_menus) {
    all += m.caption;
    for (const Item& i : m.items) all += i.caption;
  }
  return all;
}

}  // namespace platform
