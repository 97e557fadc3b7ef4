// CGraphics: the game's picture object. A software image (image::CmgBBI) loaded from a file,
// made from text or created empty, drawn onto the back buffer through GDI-style copies,
// DirectDraw-style blits or textured quads of the 3-D device. The surface or texture (`DDS`) is
// a cache of the image: made at first use, re-uploaded after a change, dropped when the engine
// root announces the end or the shortage of video memory. Relies on the image objects, the
// image function library, the text renderer, the engine root's events and IGraphicsTarget.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/CSurface.h"
#include "image/CmgBBI.h"
#include "platform/CEvent.h"
#include "util/CRect.h"

namespace engine {
class spLib;
}

namespace present {

class CIMDevice;
class IGraphicsTarget;
struct TLVertex;

class CGraphics {
 public:
  // Default error text of the game's loads; any non-empty text asks the user on failure.
  static constexpr const char* kLoadErrorText = "ファイルの読み込みに失敗";
  // Pictures larger than the device's texture side, or (with the menu's consent) larger than
  // the video memory left, are made at half size; a side below this is never halved.
  static constexpr int32_t kMinReduceSide = 32;

  explicit CGraphics(engine::spLib* root = nullptr);
  ~CGraphics();
  CGraphics(const CGraphics&) = delete;
  CGraphics& operator=(const CGraphics&) = delete;
  CGraphics(CGraphics&& other) noexcept;
  CGraphics& operator=(CGraphics&& other) noexcept;

  // ---- Public fields ----
  image::CmgBBI BBI;
  int32_t Flag = 0;
  std::string Tag;
  std::unique_ptr<engine::CSurface> DDS;

  // ---- The picture ----
  void Add(int32_t Width, int32_t height, bool AlwaysDataClear = false);
  // 1 when the image loader succeeded, else 0 (the picture is then left as it was). A non-empty
  // ErrorMsg goes to the loader, which asks the user.
  int32_t Load(const std::string& Filename, const std::string& ErrorMsg = "");
  void LoadText(const std::string& Text, int32_t Width, int32_t height, int32_t FontSize = 20,
                const std::string& FontName = "", int32_t FontBlur = 0, bool FontAntiAreas = true,
                int32_t SpaceX = 0, int32_t SpaceY = 0, int32_t AlignX = 0, int32_t AlignY = 0,
                bool Wait = false);
  // Draws the next character of a text begun with Wait; true while characters remain.
  bool LoadTextNext();
  void LoadDDSTex(engine::CSurface& srcDDS);
  void Refresh() { m_outdated = true; }
  void Release();

  [[nodiscard]] int32_t Width() const { return BBI.Width(); }
  [[nodiscard]] int32_t height() const { return BBI.height(); }

  // ---- Corner colours, texture fill, render mode ----
  [[nodiscard]] uint32_t Color() const { return m_color[0]; }
  void Color(uint32_t color);
  [[nodiscard]] uint32_t ColorIndex(int32_t index) const;
  void ColorIndex(int32_t index, uint32_t color);
  [[nodiscard]] float tu() const { return m_tu; }
  [[nodiscard]] float tv() const { return m_tv; }
  [[nodiscard]] uint32_t GetRender() const { return m_render; }
  void SetRender(uint32_t mode) { m_render = mode; }
  void SetRender_ColorText(bool ApplyADD = false) { m_render = ApplyADD ? 0x215u : 0x211u; }
  void SetRender_EmptyTexture(bool ApplyADD = false) { m_render = ApplyADD ? 0x015u : 0x011u; }

  // ---- Saved copies ----
  [[nodiscard]] int32_t GetChildCount() const { return static_cast<int32_t>(m_children.size()); }
  // The saved copy at index (0 the oldest); null outside the stack.
  [[nodiscard]] image::CmgBBI* Child(int32_t index);
  // Resizes the stack to count copies: ChildRedim empties it first, ChildRedimPreserve keeps
  // the copies that remain; new ones are 1 x 1.
  void ChildRedim(int32_t count);
  void ChildRedimPreserve(int32_t count);
  void ChildPush();
  // Restores the last saved copy; false when none is saved.
  bool ChildPop();

  // ---- Region rectangles (in the picture's coordinates) for the *Rgn draws ----
  void RgnAdd(const util::CRect& rect);
  void RgnClear() { m_region.clear(); }
  [[nodiscard]] int32_t RgnCount() const { return static_cast<int32_t>(m_region.size()); }
  [[nodiscard]] const std::vector<util::CRect>& Rgn() const { return m_region; }

  // ---- Changes through the image functions (each ends with Refresh) ----
  void ChooseCA(int32_t RGB = 0, int32_t Alpha = 0);
  void ChooseColor(int32_t r = -1, int32_t g = -1, int32_t b = -1, int32_t a = -1);
  void ChooseScale(int32_t AddLength, int32_t DivLength);
  // Pixels of the key colour (the colour of pixel (0, 0)) become transparent; the second with
  // softened edges.
  void ChooseColorKey();
  void ChooseColorKeyAntiAreas();
  // The key colour the colour-keyed draws drop: the one chosen last, else pixel (0, 0)'s.
  [[nodiscard]] uint32_t KeyColor() const;
  // Software blit of src into the picture with a BBIBltFX mode; zero sizes mean src's.
  void Blt(image::CmgBBI& src, int32_t DstX = 0, int32_t DstY = 0, int32_t Width = 0,
           int32_t height = 0, int32_t SrcX = 0, int32_t SrcY = 0, int32_t BltMode = 0,
           float BltReality = 1.0f);
  void Blt(CGraphics& src, int32_t DstX = 0, int32_t DstY = 0, int32_t Width = 0,
           int32_t height = 0, int32_t SrcX = 0, int32_t SrcY = 0, int32_t BltMode = 0,
           float BltReality = 1.0f) {
    Blt(src.BBI, DstX, DstY, Width, height, SrcX, SrcY, BltMode, BltReality);
  }
  // Blt of each region rectangle of src's area, placed at (DstX, DstY) plus its position.
  void BltRgn(image::CmgBBI& src, int32_t DstX = 0, int32_t DstY = 0, int32_t BltMode = 0,
              float BltAlpha = 1.0f);

  // ---- Drawing (zero sizes: the picture's; with center, (DstX, DstY) is the middle) ----
  void DrawGDI(int32_t DstX, int32_t DstY, int32_t Width = 0, int32_t height = 0,
               int32_t SrcX = 0, int32_t SrcY = 0, bool center = false);
  void DrawGDIRgn(int32_t DstX, int32_t DstY, bool center = false);
  void DrawGDIStretch(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX = 0,
                      int32_t SrcY = 0, int32_t SrcW = 0, int32_t SrcH = 0, bool center = false);
  void DrawDDraw(int32_t DstX, int32_t DstY, int32_t Width = 0, int32_t height = 0,
                 int32_t SrcX = 0, int32_t SrcY = 0, bool center = false, bool colorkey = false);
  void DrawDDrawRgn(int32_t DstX, int32_t DstY, bool center = false, bool colorkey = false);
  void DrawDDrawStretch(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX = 0,
                        int32_t SrcY = 0, int32_t SrcW = 0, int32_t SrcH = 0,
                        bool center = false, bool colorkey = false);
  void DrawD3DDraw(float DstX, float DstY, float Width = 0, float height = 0, float SrcX = 0,
                   float SrcY = 0, bool center = false, bool colorkey = false);
  void DrawD3DDrawRgn(float DstX, float DstY, bool center = false, bool colorkey = false);
  void DrawD3DDrawStretch(float DstX, float DstY, float DstW, float DstH, float SrcX = 0,
                          float SrcY = 0, float SrcW = 0, float SrcH = 0, bool center = false,
                          bool colorkey = false);
  // The picture (or its source part) as a quad with the device's render state as the caller set
  // it: no render mode, no centring, no global scale.
  void DrawD3D(float DstX, float DstY, float Width = 0, float height = 0, float SrcX = 0,
               float SrcY = 0, float SrcW = 0, float SrcH = 0);
  // A free-form quad: corners in the order of the corner colours (top-left, top-right,
  // bottom-left, bottom-right), the whole picture or its source part, with the render mode.
  void DrawD3DPolygon(const float x[4], const float y[4], float SrcX = 0, float SrcY = 0,
                      float SrcW = 0, float SrcH = 0, bool colorkey = false);

  // ---- Surface and texture ----
  bool ExistDDS(bool WithBBIData = true);
  bool ExistDDSTexture(bool WithBBIData = true, bool WithAlphaCannel = true);
  [[nodiscard]] bool SurfaceMade() const { return m_surfaceMade; }
  [[nodiscard]] bool TextureMade() const { return m_textureMade; }
  [[nodiscard]] bool Outdated() const { return m_outdated; }
  // The texture holds a half-size copy of the picture.
  [[nodiscard]] bool TextureReduced() const { return m_reduced; }

  // ---- Process-wide settings ----
  // The global drawing scale (1.0 or 0.5 from the game's window set-up) for the D3DDraw paths.
  static void DrawScale(float scale);
  [[nodiscard]] static float DrawScale();
  // What pictures draw onto; null: the engine root's display device.
  static void UseTarget(IGraphicsTarget* target);

 private:
  [[nodiscard]] IGraphicsTarget* Target() const;
  void Subscribe();
  void Unsubscribe();
  void DropSurface();
  // The texture side the picture needs, halved as the rules ask; sets m_reduced.
  void ChooseTextureSize(CIMDevice* device, bool withAlpha, int32_t& picW, int32_t& picH,
                         int32_t& texW, int32_t& texH);
  bool Upload();
  void DrawQuad(CIMDevice& device, const TLVertex* corners, bool applyMode, bool colorkey);
  void Corners(TLVertex* v, float x0, float y0, float x1, float y1, float SrcX, float SrcY,
               float SrcW, float SrcH) const;
  void CopyToBackBuffer(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
                        int32_t SrcY, int32_t SrcW, int32_t SrcH, bool center, bool fromSurface,
                        bool colorkey);

  engine::spLib* m_root = nullptr;
  std::array<platform::CSubscription, 3> m_rootEvents;  // end of drawing, memory over, cash
  bool m_surfaceMade = false, m_textureMade = false, m_outdated = true;
  bool m_textureAlpha = true, m_reduced = false;
  int64_t m_textureBytes = 0;
  int32_t m_dataW = 0, m_dataH = 0;  // the picture's size in the texture (half when reduced)
  uint32_t m_color[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  float m_tu = 1.0f, m_tv = 1.0f;
  uint32_t m_render = 0;
  bool m_keyChosen = false;
  uint32_t m_keyColor = 0;
  std::vector<image::CmgBBI> m_children;
  std::vector<util::CRect> m_region;
  std::string m_loadedId;  // the bitmap list's entry this picture holds a reference to
  // Progressive text: the character rectangles not drawn yet.
  struct PendingChar {
    int32_t x = 0, y = 0;
    std::string text;
  };
  std::vector<PendingChar> m_pending;
  size_t m_pendingNext = 0;
};

}  // namespace present
