// CMenuBar: the main window's menu as data: top-level menus (a menu without items is a command
// of its own), items with captions, check marks, radio marks and callbacks. The window lays it
// out with Dear ImGui (CMenuGui) and runs the callbacks between frames, never in the middle of drawing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class CMenuBar {
 public:
  using Callback = std::function<void()>;

  struct Item {
    std::string caption;
    Callback onClick;
    bool checked = false;
    bool radio = false;  // drawn with a radio mark instead of a check mark
    bool enabled = true;
    bool visible = true;
  };
  struct Menu {
    std::string caption;
    Callback onClick;  // for a menu without items
    bool enabled = true;
    bool visible = true;
    std::vector<Item> items;
  };

  // Index of the new top-level menu.
  int32_t AddMenu(const std::string& caption, Callback onClick = {});
  // Index of the new item within `menu`, -1 when the menu does not exist.
  int32_t AddItem(int32_t menu, const std::string& caption, Callback onClick = {},
                  bool radio = false);
  void Clear();

  // Out-of-range indexes are ignored (null / false).
  [[nodiscard]] Menu* GetMenu(int32_t menu);
  [[nodiscard]] Item* GetItem(int32_t menu, int32_t item);
  void SetChecked(int32_t menu, int32_t item, bool checked);
  [[nodiscard]] bool Checked(int32_t menu, int32_t item) const;
  void SetEnabled(int32_t menu, int32_t item, bool enabled);

  // What a click does: queues the callback; RunPending calls the queued ones in order.
  void Click(int32_t menu, int32_t item = -1);
  void RunPending();

  [[nodiscard]] bool Empty() const { return m_menus.empty(); }
  [[nodiscard]] const std::vector<Menu>& Menus() const { return m_menus; }
  // Every caption joined, for choosing the glyphs the drawing font needs.
  [[nodiscard]] std::string AllCaptions() const;
  // Changes whenever a caption is added (the font then needs those glyphs).
  [[nodiscard]] uint32_t Revision() const { return m_revision; }

 private:
  std::vector<Menu> m_menus;
  std::vector<Callback> m_pending;
  uint32_t m_revision = 0;
};

}  // namespace platform
