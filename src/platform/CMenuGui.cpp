// Menu bar glue: SDL input into ImGui's state, the bar's layout, and ImGui's draw lists turned
// into plain triangles for the display to draw.
#include "CMenuGui.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <string>

#include "CFontRaster.h"
#include "CMenuBar.h"

namespace platform {

namespace {

constexpr float kMenuFontSize = 16.0f;

uint32_t ArgbFromImGui(ImU32 c) {
  // ImGui packs R in the low byte.
  return (c & 0xFF00FF00u) | (c & 0xFFu) << 16 | (c >> 16 & 0xFFu);
}

}  // namespace

struct CMenuGui::Impl {
  ImGuiContext* context = nullptr;
  uint32_t fontRevision = UINT32_MAX;
  ImVector<ImWchar> ranges;
  std::vector<uint32_t> atlas;
  int32_t atlasWidth = 0, atlasHeight = 0;
  uint32_t atlasVersion = 0;
  bool pressed[3] = {false, false, false};  // a press seen since the last frame
  bool held[3] = {false, false, false};
  float mouseX = -1, mouseY = -1;
  float wheel = 0;
  uint32_t lastTicks = 0;
};

CMenuGui::CMenuGui() : m_impl(std::make_unique<Impl>()) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  m_impl->context = ImGui::CreateContext();
  ImGui::SetCurrentContext(m_impl->context);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.BackendPlatformName = "tumbleroo";
  io.BackendRendererName = "tumbleroo 3-D device";
  io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
  io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
  io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
  io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
  io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
  io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
  io.KeyMap[ImGuiKey_Space] = SDL_SCANCODE_SPACE;
  ImGui::StyleColorsLight();
  if (previous != nullptr) ImGui::SetCurrentContext(previous);
}

CMenuGui::~CMenuGui() { ImGui::DestroyContext(m_impl->context); }

bool CMenuGui::ProcessEvent(const void* sdlEvent) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
  ImGui::SetCurrentContext(m_impl->context);
  ImGuiIO& io = ImGui::GetIO();
  auto button = [](uint8_t b) {
    return b == SDL_BUTTON_LEFT ? 0 : b == SDL_BUTTON_RIGHT ? 1 : b == SDL_BUTTON_MIDDLE ? 2 : -1;
  };
  switch (e.type) {
    case SDL_MOUSEMOTION:
      m_impl->mouseX = static_cast<float>(e.motion.x);
      m_impl->mouseY = static_cast<float>(e.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (const int b = button(e.button.button); b >= 0) {
        m_impl->pressed[b] = m_impl->held[b] = true;
        m_impl->mouseX = static_cast<float>(e.button.x);
        m_impl->mouseY = static_cast<float>(e.button.y);
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (const int b = button(e.button.button); b >= 0) m_impl->held[b] = false;
      break;
    case SDL_MOUSEWHEEL: m_impl->wheel += static_cast<float>(e.wheel.y); break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_LEAVE) m_impl->mouseX = m_impl->mouseY = -1;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int sc = e.key.keysym.scancode;
      if (sc >= 0 && sc < 512) io.KeysDown[sc] = e.type == SDL_KEYDOWN;
      const uint16_t mod = e.key.keysym.mod;
      io.KeyShift = (mod & KMOD_SHIFT) != 0;
      io.KeyCtrl = (mod & KMOD_CTRL) != 0;
      io.KeyAlt = (mod & KMOD_ALT) != 0;
      break;
    }
    default: break;
  }
  return io.WantCaptureMouse;
}

bool CMenuGui::WantsMouse() const {
  ImGui::SetCurrentContext(m_impl->context);
  return ImGui::GetIO().WantCaptureMouse;
}

void CMenuGui::BuildFrame(CMenuBar& menu, int32_t width, int32_t height, int32_t barHeight,
                          MenuFrame& frame) {
  ImGui::SetCurrentContext(m_impl->context);
  ImGuiIO& io = ImGui::GetIO();
  if (m_impl->fontRevision != menu.Revision()) {
    // Only the glyphs the captions use: the full Japanese range would take long to build.
    m_impl->fontRevision = menu.Revision();
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(io.Fonts->GetGlyphRangesDefault());
    builder.AddText(menu.AllCaptions().c_str());
    builder.AddText("●○");
    m_impl->ranges.clear();
    builder.BuildRanges(&m_impl->ranges);
    io.Fonts->Clear();
    const CFontRaster::Face face = CFontRaster::FindFace("sans-serif");
    ImFont* font = nullptr;
    if (!face.path.empty()) {
      ImFontConfig config;
      config.FontNo = face.index;
      font = io.Fonts->AddFontFromFileTTF(face.path.c_str(), kMenuFontSize, &config,
                                          m_impl->ranges.Data);
    }
    if (font == nullptr) io.Fonts->AddFontDefault();
    unsigned char* rgba = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&rgba, &w, &h);
    m_impl->atlas.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (size_t i = 0; i < m_impl->atlas.size(); ++i) {
      const unsigned char* p = rgba + i * 4;
      m_impl->atlas[i] = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
                         static_cast<uint32_t>(p[1]) << 8 | p[2];
    }
    m_impl->atlasWidth = w;
    m_impl->atlasHeight = h;
    ++m_impl->atlasVersion;
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(1)));
    ImGui::GetStyle().FramePadding.y = (static_cast<float>(barHeight) - kMenuFontSize) / 2;
  }

  io.DisplaySize = ImVec2(static_cast<float>(std::max(1, width)),
                          static_cast<float>(std::max(1, height)));
  const uint32_t now = SDL_GetTicks();
  io.DeltaTime = m_impl->lastTicks == 0 || now <= m_impl->lastTicks
                     ? 1.0f / 60.0f
                     : static_cast<float>(now - m_impl->lastTicks) / 1000.0f;
  m_impl->lastTicks = now;
  io.MousePos = m_impl->mouseX < 0 ? ImVec2(-FLT_MAX, -FLT_MAX)
                                   : ImVec2(m_impl->mouseX, m_impl->mouseY);
  for (int b = 0; b < 3; ++b) {
    // A press and release between two frames still counts as a click.
    io.MouseDown[b] = m_impl->pressed[b] || m_impl->held[b];
    m_impl->pressed[b] = false;
  }
  io.MouseWheel = m_impl->wheel;
  m_impl->wheel = 0;

  ImGui::NewFrame();
  if (ImGui::BeginMainMenuBar()) {
    const auto& menus = menu.Menus();
    for (size_t mi = 0; mi < menus.size(); ++mi) {
      const CMenuBar::Menu& m = menus[mi];
      if (!m.visible) continue;
      ImGui::PushID(static_cast<int>(mi));
      if (m.items.empty()) {
        if (ImGui::MenuItem(m.caption.c_str(), nullptr, false, m.enabled))
          menu.Click(static_cast<int32_t>(mi));
      } else if (ImGui::BeginMenu(m.caption.c_str(), m.enabled)) {
        for (size_t ii = 0; ii < m.items.size(); ++ii) {
          const CMenuBar::Item& item = m.items[ii];
          if (!item.visible) continue;
          ImGui::PushID(static_cast<int>(ii));
          bool clicked = false;
          if (item.radio) {
            const std::string label = (item.checked ? "● " : "○ ") + item.caption;
            clicked = ImGui::MenuItem(label.c_str(), nullptr, false, item.enabled);
          } else {
            clicked = ImGui::MenuItem(item.caption.c_str(), nullptr, item.checked, item.enabled);
          }
          if (clicked) menu.Click(static_cast<int32_t>(mi), static_cast<int32_t>(ii));
          ImGui::PopID();
        }
        ImGui::EndMenu();
      }
      ImGui::PopID();
    }
    ImGui::EndMainMenuBar();
  }
  ImGui::Render();

  frame.width = width;
  frame.height = height;
  frame.vertices.clear();
  frame.indexes.clear();
  frame.batches.clear();
  frame.atlas = m_impl->atlas.data();
  frame.atlasWidth = m_impl->atlasWidth;
  frame.atlasHeight = m_impl->atlasHeight;
  frame.atlasVersion = m_impl->atlasVersion;
  const ImDrawData* data = ImGui::GetDrawData();
  if (data == nullptr) return;
  for (int li = 0; li < data->CmdListsCount; ++li) {
    const ImDrawList* list = data->CmdLists[li];
    const auto vertexBase = static_cast<uint32_t>(frame.vertices.size());
    const auto indexBase = static_cast<uint32_t>(frame.indexes.size());
    for (const ImDrawVert& v : list->VtxBuffer)
      frame.vertices.push_back({v.pos.x, v.pos.y, v.uv.x, v.uv.y, ArgbFromImGui(v.col)});
    frame.indexes.insert(frame.indexes.end(), list->IdxBuffer.begin(), list->IdxBuffer.end());
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback != nullptr || cmd.ElemCount == 0) continue;
      MenuBatch b;
      b.clipX0 = static_cast<int32_t>(cmd.ClipRect.x);
      b.clipY0 = static_cast<int32_t>(cmd.ClipRect.y);
      b.clipX1 = static_cast<int32_t>(cmd.ClipRect.z);
      b.clipY1 = static_cast<int32_t>(cmd.ClipRect.w);
      b.vertexOffset = vertexBase + cmd.VtxOffset;
      b.firstIndex = indexBase + cmd.IdxOffset;
      b.indexCount = cmd.ElemCount;
      frame.batches.push_back(b);
    }
  }
}

}  // namespace platform
