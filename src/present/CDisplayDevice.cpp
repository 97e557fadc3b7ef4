// The display on an SDL renderer: the back buffer is uploaded to a streaming ARGB8888 texture
// (the BBI pixel layout) for the area that changed, and the frame is drawn scaled to the
// window's drawing area with the menu bar on top.
#include "present/CDisplayDevice.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/CFontRaster.h"
#include "platform/CWindow.h"

namespace present {

const char* const CDisplayDevice::kCapabilityNames[11] = {
    "D3D Raster",           "D3D Transform&Light",  "D3D BlendOp Normal", "D3D BlendOp Full",
    "D3D TextureOp Normal", "D3D TextureOp Expand", "D3D TextureOp Full", "D3D MultiTextureOp",
    "D3D VertexProcess",    "D3D ApplyArk",         "D3D AntiAreas"};

namespace {

// What each device offers. Both rasterise, do every blend pair and every stage operation
// (normal, the x2 / x4 / signed "expanded" ones, the alpha blends) and combine a second texture
// stage in the same pass. Neither transforms or lights vertices (they arrive transformed),
// processes vertices, or smooths polygon edges (SetAntiAreasMode answers false). The OpenGL
// device offers nothing the software one lacks: it must draw the same frames.
bool Supported(const std::string& name, bool hal) {
  (void)hal;
  return name == "D3D Raster" || name == "D3D BlendOp Normal" || name == "D3D BlendOp Full" ||
         name == "D3D TextureOp Normal" || name == "D3D TextureOp Expand" ||
         name == "D3D TextureOp Full" || name == "D3D MultiTextureOp";
}

std::string Format6(int64_t value) {
  std::string s = std::to_string(value);
  return s.size() >= 6 ? s : std::string(6 - s.size(), ' ') + s;
}

uint32_t ArgbFromColorRef(uint32_t c) {
  return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

}  // namespace

CDisplayDevice::CDisplayDevice(engine::spLib& root) : m_root(root) { BuildCapabilities(); }

CDisplayDevice::~CDisplayDevice() {
  DestroyTexture();
  Unsubscribe();
}

void CDisplayDevice::Unsubscribe() {
  m_reset.Reset();
  m_destroying.Reset();
  m_window = nullptr;
}

void CDisplayDevice::BuildCapabilities() {
  m_support.clear();
  m_nonSupport.clear();
  for (const char* name : kCapabilityNames) {
    const bool yes = m_params.direct3DDevice && Supported(name, m_params.halGraphics);
    (yes ? m_support : m_nonSupport) += std::string(name) + "\r\n";
  }
}

bool CDisplayDevice::Start(const engine::DisplayParams& params) {
  m_root.DirectDrawExit();
  platform::CWindow* window = m_root.MainForm();
  if (window == nullptr || !window->Loaded()) return false;
  // The BBI header keeps sizes and the row length (width x 4) in signed 16-bit fields.
  if (params.width <= 0 || params.height <= 0 || params.width > kMaxSide ||
      params.height > kMaxSide)
    return false;

  m_params = params;
  m_window = window;
  m_reset = window->RenderReset.Subscribe([this] { NoticeLoss(); });
  m_destroying = window->Destroying.Subscribe([this] { DestroyTexture(); });

  window->SetFullscreen(params.fullscreen);
  window->SetDrawingSize(static_cast<int32_t>(static_cast<float>(params.width) * m_scale),
                         static_cast<int32_t>(static_cast<float>(params.height) * m_scale));

  const size_t bytes = static_cast<size_t>(kBbiPictOffset) +
                       static_cast<size_t>(params.width) * static_cast<size_t>(params.height) * 4;
  if (m_block.size() != bytes) m_block.assign(bytes, 0);
  BlivoWriteBBIHeader(m_block.data(), params.width, params.height, 0);

  m_vsync = -1;
  m_glFrame = m_sceneOpen = false;
  if (!CreateTexture()) {
    Unsubscribe();
    return false;
  }
  m_lost = false;

  m_started = true;
  ApplyDevice();

  ++m_initCount;
  m_startTime = m_root.Clock().NowMs();
  return true;
}

void CDisplayDevice::SelectDevice(bool hal) {
  m_halChoice = hal;
  if (m_started) ApplyDevice();
}

bool CDisplayDevice::HalAvailable() {
  if (!m_glTried) {
    m_glTried = true;
    m_glDevice = CGlDevice::Create(m_glWhy);
  }
  return m_glDevice != nullptr;
}

CIMDevice* CDisplayDevice::Device3D() {
  if (!m_started || !m_params.direct3DDevice) return nullptr;
  if (m_params.halGraphics && m_glDevice) {
    if (!m_sceneOpen) {
      // The frame kept on the card goes on; after software drawing it starts from the back
      // buffer again.
      if (m_glFrame)
        m_glDevice->Resume();
      else
        m_glDevice->SetRenderTarget(RawPixels(), m_params.width, m_params.height, Pitch());
      m_sceneOpen = true;
      m_glFrame = true;
    }
    return m_glDevice.get();
  }
  return m_device3d.get();
}

void CDisplayDevice::SyncBackBuffer() {
  if (m_glFrame && m_glDevice) m_glDevice->Finish();
  m_glFrame = false;
  m_sceneOpen = false;
}

bool CDisplayDevice::GlPresents() const {
  if (!m_started || !m_params.direct3DDevice || !m_params.halGraphics || !m_glDevice ||
      m_window == nullptr || m_surface != nullptr)
    return false;
  auto* window = static_cast<SDL_Window*>(m_window->NativeWindow());
  return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0;
}

uint32_t* CDisplayDevice::SoftwarePixels(int32_t& width, int32_t& height, int32_t& pitch) {
  if (!m_started) return nullptr;
  SyncBackBuffer();
  width = m_params.width;
  height = m_params.height;
  pitch = Pitch();
  return Pixels();
}

engine::PixelFormat CDisplayDevice::TextureFormat(bool withAlpha) const {
  if (m_params.disable32BitTexture)
    return withAlpha ? engine::PixelFormat::Argb4444() : engine::PixelFormat::Rgb565();
  return withAlpha ? engine::PixelFormat::Argb8888() : engine::PixelFormat::Xrgb8888();
}

void CDisplayDevice::ForgetTexture(const engine::CSurface* surface) {
  if (m_glDevice) m_glDevice->ForgetTexture(surface);
  if (m_device3d) m_device3d->ForgetTexture(surface);
}

void CDisplayDevice::FinishScene() {
  // When OpenGL shows the frame, it stays on the card; otherwise it comes back for the
  // window's texture.
  if (GlPresents())
    m_sceneOpen = false;
  else
    SyncBackBuffer();
}

void CDisplayDevice::ApplyDevice() {
  SyncBackBuffer();
  bool hal = m_halChoice.value_or(m_params.halGraphics);
  if (hal && !HalAvailable()) {
    if (!m_toldNoHal)
      std::fprintf(stderr,
                   "tumbleroo: no OpenGL context for the HAL device (%s); drawing with "
                   "the software (RGB) device\n",
                   m_glWhy.c_str());
    m_toldNoHal = true;
    hal = false;
  }
  m_params.halGraphics = hal;
  if (m_params.direct3DDevice) {
    m_deviceName = hal ? kHalDeviceName : kRgbDeviceName;
    m_deviceBackend = hal ? "OpenGL (" + m_glDevice->Renderer() + ")" : "software";
    if (!m_device3d) m_device3d = std::make_unique<CRgbDevice>();
    m_device3d->SetRenderTarget(RawPixels(), m_params.width, m_params.height, Pitch());
  } else {
    m_deviceName.clear();
    m_deviceBackend.clear();
    m_device3d.reset();
  }
  BuildCapabilities();
}

bool CDisplayDevice::ToggleFullscreen(bool fullscreen) {
  engine::DisplayParams p = m_params;
  p.fullscreen = fullscreen;
  return Start(p);
}

void CDisplayDevice::Stop() {
  if (!m_started) return;
  DestroyTexture();
  if (m_window != nullptr && m_window->Fullscreen()) m_window->SetFullscreen(false);
  Unsubscribe();
  m_started = false;
}

bool CDisplayDevice::CreateTexture() {
  DestroyTexture();
  auto* renderer =
      static_cast<SDL_Renderer*>(m_window != nullptr ? m_window->NativeRenderer() : nullptr);
  if (renderer == nullptr) return false;
  m_needFull = true;
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
    // The software renderer draws into the window's surface: without a menu bar on top the
    // back buffer is blitted there directly, without a texture in between.
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(m_block.data() + kBbiPictOffset, m_params.width,
                                           m_params.height, 32, Pitch(), SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return false;
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
    m_surface = surface;
  }
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, m_params.width, m_params.height);
  if (t == nullptr) return false;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
  m_accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
  m_texture = t;
  // The whole buffer goes up once so the first partial present shows a complete frame.
  SDL_UpdateTexture(t, nullptr, m_block.data() + kBbiPictOffset, Pitch());
  return true;
}

void CDisplayDevice::DestroyTexture() {
  if (m_surface != nullptr) SDL_FreeSurface(static_cast<SDL_Surface*>(m_surface));
  m_surface = nullptr;
  const bool live = m_window != nullptr && m_window->NativeRenderer() != nullptr;
  if (m_texture != nullptr && live) SDL_DestroyTexture(static_cast<SDL_Texture*>(m_texture));
  m_texture = nullptr;
  if (m_menuTexture != nullptr && live)
    SDL_DestroyTexture(static_cast<SDL_Texture*>(m_menuTexture));
  m_menuTexture = nullptr;
  m_menuHash = 0;
}

bool CDisplayDevice::UpdateMenuOverlay(bool& changed) {
  changed = false;
  platform::MenuFrame& f = m_menuFrame;
  if (!m_window->BuildMenuFrame(f) || f.width <= 0 || f.height <= 0 || f.atlas == nullptr)
    return false;
  if (f.width != m_menuW || f.height != m_menuH) {
    m_menuW = f.width;
    m_menuH = f.height;
    m_menuPixels.assign(static_cast<size_t>(f.width) * static_cast<size_t>(f.height), 0);
    m_menuHash = 0;
  }
  if (!m_menuAtlas || m_menuAtlasVersion != f.atlasVersion) {
    m_menuAtlas = std::make_unique<engine::CSurface>(f.atlasWidth, f.atlasHeight,
                                                     engine::PixelFormat::Argb8888(), true);
    if (uint8_t* p = m_menuAtlas->Lock()) {
      for (int32_t y = 0; y < f.atlasHeight; ++y)
        std::memcpy(p + static_cast<size_t>(y) * static_cast<size_t>(m_menuAtlas->Pitch()),
                    f.atlas + static_cast<size_t>(y) * static_cast<size_t>(f.atlasWidth),
                    static_cast<size_t>(f.atlasWidth) * 4);
      m_menuAtlas->Unlock();
    }
    m_menuAtlasVersion = f.atlasVersion;
    m_menuHash = 0;
  }
  // The bar changes only on hover and clicks: the same triangles are not drawn again.
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](const void* data, size_t bytes) {
    const auto* b = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) hash = (hash ^ b[i]) * 1099511628211ull;
  };
  mix(f.vertices.data(), f.vertices.size() * sizeof(platform::MenuVertex));
  mix(f.indexes.data(), f.indexes.size() * sizeof(uint16_t));
  mix(f.batches.data(), f.batches.size() * sizeof(platform::MenuBatch));
  if (hash == m_menuHash) return true;
  m_menuHash = hash;
  changed = true;
  float x0 = static_cast<float>(f.width), y0 = static_cast<float>(f.height), x1 = 0, y1 = 0;
  for (const platform::MenuVertex& v : f.vertices) {
    x0 = std::min(x0, v.x);
    y0 = std::min(y0, v.y);
    x1 = std::max(x1, v.x);
    y1 = std::max(y1, v.y);
  }
  int32_t box[4] = {std::max(0, static_cast<int32_t>(std::floor(x0))),
                    std::max(0, static_cast<int32_t>(std::floor(y0))),
                    std::min(f.width, static_cast<int32_t>(std::ceil(x1)) + 1),
                    std::min(f.height, static_cast<int32_t>(std::ceil(y1)) + 1)};
  if (box[2] <= box[0] || box[3] <= box[1]) box[0] = box[1] = box[2] = box[3] = 0;
  std::copy(box, box + 4, m_menuBox);
  const int32_t bw = box[2] - box[0], bh = box[3] - box[1];
  if (bw <= 0 || bh <= 0) return true;
  uint32_t* base = m_menuPixels.data() +
                   static_cast<size_t>(box[1]) * static_cast<size_t>(f.width) +
                   static_cast<size_t>(box[0]);
  for (int32_t y = 0; y < bh; ++y)
    std::fill_n(base + static_cast<size_t>(y) * static_cast<size_t>(f.width), bw, 0u);
  CRgbDevice& d = m_menuDevice;
  d.SetRenderTarget(m_menuPixels.data(), f.width, f.height, f.width * 4);
  d.SetTexture(m_menuAtlas.get());
  d.SetRenderMode(0x221);  // texture alpha x vertex alpha, colour multiplied, alpha blend
  d.SetFilterMode(false);
  std::vector<TLVertex> tl;
  for (const platform::MenuBatch& b : f.batches) {
    if (b.vertexOffset >= f.vertices.size() || b.firstIndex + b.indexCount > f.indexes.size())
      continue;
    d.SetClipRect(std::max(b.clipX0, box[0]), std::max(b.clipY0, box[1]),
                  std::min(b.clipX1, box[2]), std::min(b.clipY1, box[3]));
    tl.clear();
    for (size_t i = b.vertexOffset; i < f.vertices.size(); ++i) {
      const platform::MenuVertex& v = f.vertices[i];
      // ImGui samples at pixel centres, this device at whole coordinates.
      tl.push_back(CIMDevice::TLVERTEX(v.x - 0.5f, v.y - 0.5f, v.argb, v.u, v.v));
    }
    d.DrawIndexed(tl.data(), static_cast<int32_t>(tl.size()), f.indexes.data() + b.firstIndex,
                  static_cast<int32_t>(b.indexCount));
  }
  d.SetTexture(nullptr);
  return true;
}

void CDisplayDevice::DrawMenu(void* rendererHandle) {
  auto* renderer = static_cast<SDL_Renderer*>(rendererHandle);
  bool changed = false;
  if (!UpdateMenuOverlay(changed)) return;
  if (m_menuTexture == nullptr || m_menuTextureW != m_menuW || m_menuTextureH != m_menuH) {
    if (m_menuTexture != nullptr) SDL_DestroyTexture(static_cast<SDL_Texture*>(m_menuTexture));
    m_menuTexture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, m_menuW, m_menuH);
    if (m_menuTexture == nullptr) return;
    SDL_SetTextureBlendMode(static_cast<SDL_Texture*>(m_menuTexture), SDL_BLENDMODE_BLEND);
    m_menuTextureW = m_menuW;
    m_menuTextureH = m_menuH;
    changed = true;
  }
  auto* texture = static_cast<SDL_Texture*>(m_menuTexture);
  const int32_t bw = m_menuBox[2] - m_menuBox[0], bh = m_menuBox[3] - m_menuBox[1];
  if (bw <= 0 || bh <= 0) return;
  const SDL_Rect r{m_menuBox[0], m_menuBox[1], bw, bh};
  if (changed) {
    const uint32_t* base = m_menuPixels.data() +
                           static_cast<size_t>(m_menuBox[1]) * static_cast<size_t>(m_menuW) +
                           static_cast<size_t>(m_menuBox[0]);
    SDL_UpdateTexture(texture, &r, base, m_menuW * 4);
  }
  SDL_RenderCopy(renderer, texture, &r, &r);
}

void CDisplayDevice::ShowGl(bool waitVblank) {
  // Software drawing since the last upload goes up as the frame's picture.
  if (!m_glFrame) {
    m_glDevice->SetRenderTarget(RawPixels(), m_params.width, m_params.height, Pitch());
    m_glFrame = true;
  }
  m_sceneOpen = false;
  CGlDevice::PresentArea area;
  m_window->DrawingArea(area.x, area.y, area.w, area.h);
  area.vsync = waitVblank ? 1 : 0;
  bool changed = false;
  if (m_window->HasMenu() && m_window->MenuVisible() && UpdateMenuOverlay(changed)) {
    area.overlay = m_menuPixels.data();
    area.overlayW = m_menuW;
    area.overlayH = m_menuH;
    std::copy(m_menuBox, m_menuBox + 4, area.box);
  }
  area.readBack = m_windowReadBack;
  if (m_glDevice->PresentToWindow(m_window->NativeWindow(), area)) {
    // The window's texture missed these frames: the next renderer present sends it whole.
    m_textureStale = true;
    m_glPresented = true;
  }
}

uint32_t* CDisplayDevice::RawPixels() {
  return m_started ? reinterpret_cast<uint32_t*>(m_block.data() + kBbiPictOffset) : nullptr;
}

uint32_t* CDisplayDevice::Pixels() {
  SyncBackBuffer();
  return RawPixels();
}

void* CDisplayDevice::BackBuffer() {
  if (!m_started) return nullptr;
  SyncBackBuffer();
  return m_block.data();
}

void CDisplayDevice::NoticeLoss() {
  if (!m_started) return;
  m_lost = true;
  m_root.DirectDrawViderMemoryOver();
}

bool CDisplayDevice::SurfacesUsable() {
  if (!m_started) return false;
  if (m_lost || (m_texture == nullptr && m_surface == nullptr)) {
    if (!CreateTexture()) return false;
    m_lost = false;
  }
  return true;
}

void CDisplayDevice::SaveSurfaces() {
  if (m_started) m_saved = m_block;
}

void CDisplayDevice::RestoreSurfaces() {
  if (m_started && m_saved.size() == m_block.size()) m_block = m_saved;
  m_saved.clear();
  m_saved.shrink_to_fit();
}

void CDisplayDevice::Present(const util::CRect& area, bool waitVblank) { Show(&area, waitVblank); }

void CDisplayDevice::PresentAll(bool waitVblank) {
  util::CRect all;
  all.Create(0, 0, m_params.width, m_params.height);
  Show(&all, waitVblank);
}

void CDisplayDevice::Show(const util::CRect* area, bool waitVblank) {
  if (!m_started || m_window == nullptr) return;
  auto* renderer = static_cast<SDL_Renderer*>(m_window->NativeRenderer());
  if (renderer == nullptr) return;
  if (m_lost || (m_texture == nullptr && m_surface == nullptr)) {
    (void)SurfacesUsable();  // try to restore; this present is skipped either way
    return;
  }
  if (GlPresents()) {
    ShowGl(waitVblank);
    return;
  }
  SyncBackBuffer();
  m_glPresented = false;
  util::CRect clip = *area;
  clip.Trim(0, 0, m_params.width, m_params.height);
  if (m_surface != nullptr && !(m_window->HasMenu() && m_window->MenuVisible())) {
    // No vertical blank to wait for on a software surface.
    ShowSoftware(clip);
    m_textureStale = true;
    return;
  }
  auto* texture = static_cast<SDL_Texture*>(m_texture);
  if (m_textureStale) {
    clip.Create(0, 0, m_params.width, m_params.height);
    m_textureStale = false;
  }
  m_needFull = true;  // the renderer redraws the window's surface
  if (!clip.IsZero()) {
    const SDL_Rect r{clip.Left, clip.Top, clip.Width, clip.Height};
    const uint8_t* src = m_block.data() + kBbiPictOffset +
                         static_cast<size_t>(clip.Top) * static_cast<size_t>(Pitch()) +
                         static_cast<size_t>(clip.Left) * 4;
    SDL_UpdateTexture(texture, &r, src, Pitch());
  }

  const int vsync = waitVblank ? 1 : 0;
  if (vsync != m_vsync) {
    SDL_RenderSetVSync(renderer, vsync);
    m_vsync = vsync;
  }
  int32_t x = 0, y = 0, w = 0, h = 0;
  m_window->DrawingArea(x, y, w, h);
  if (m_window->Fullscreen()) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
  }
  const SDL_Rect dst{x, y, w, h};
  SDL_RenderCopy(renderer, texture, nullptr, &dst);
  DrawMenu(renderer);
  SDL_RenderPresent(renderer);
}

void CDisplayDevice::ShowSoftware(const util::CRect& clip) {
  auto* window = static_cast<SDL_Window*>(m_window->NativeWindow());
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) return;
  if (target->w != m_targetW || target->h != m_targetH) {
    // A new window size brings a new surface with nothing on it.
    m_targetW = target->w;
    m_targetH = target->h;
    m_needFull = true;
  }
  auto* source = static_cast<SDL_Surface*>(m_surface);
  // A window in 32-bit XRGB takes the back buffer's bytes as they are: describing the buffer in
  // that format makes the blit a plain row copy instead of a per-pixel conversion.
  const uint32_t targetFormat = target->format->format;
  if ((targetFormat == SDL_PIXELFORMAT_RGB888 || targetFormat == SDL_PIXELFORMAT_ARGB8888) &&
      source->format->format != targetFormat) {
    SDL_Surface* alias =
        SDL_CreateRGBSurfaceWithFormatFrom(m_block.data() + kBbiPictOffset, m_params.width,
                                           m_params.height, 32, Pitch(), targetFormat);
    if (alias != nullptr) {
      SDL_SetSurfaceBlendMode(alias, SDL_BLENDMODE_NONE);
      SDL_FreeSurface(source);
      m_surface = source = alias;
    }
  }
  int32_t x = 0, y = 0, w = 0, h = 0;
  m_window->DrawingArea(x, y, w, h);
  const bool scaled = w != m_params.width || h != m_params.height;
  bool changed = false;
  if (m_needFull || (scaled && !clip.IsZero())) {
    if (m_needFull) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    SDL_Rect dst{x, y, w, h};
    if (scaled)
      SDL_BlitScaled(source, nullptr, target, &dst);
    else
      SDL_BlitSurface(source, nullptr, target, &dst);
    m_needFull = false;
    changed = true;
  } else if (!clip.IsZero()) {
    SDL_Rect src{clip.Left, clip.Top, clip.Width, clip.Height};
    SDL_Rect dst{x + clip.Left, y + clip.Top, clip.Width, clip.Height};
    SDL_BlitSurface(source, &src, target, &dst);
    SDL_UpdateWindowSurfaceRects(window, &dst, 1);
    return;
  }
  if (changed) SDL_UpdateWindowSurface(window);
}

void CDisplayDevice::SetWindowScale(float scale) {
  if (!(scale > 0.0f) || scale > 4.0f) return;
  m_scale = scale;
  m_needFull = true;
  if (m_started && m_window != nullptr && !m_window->Fullscreen())
    m_window->SetDrawingSize(static_cast<int32_t>(static_cast<float>(m_params.width) * scale),
                             static_cast<int32_t>(static_cast<float>(m_params.height) * scale));
}

void CDisplayDevice::DrawText(const std::string& text, int32_t x, int32_t y) {
  uint32_t* pixels = Pixels();
  if (pixels == nullptr) return;
  if (!m_font) {
    m_font = std::make_unique<platform::CFontRaster>();
    m_font->Open("monospace", 14);
  }
  if (!m_font->IsOpen()) return;
  // A dark outline keeps the text readable on any picture.
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx != 0 || dy != 0)
        m_font->Draw(pixels, Pitch(), m_params.width, m_params.height, x + dx, y + dy, text,
                     0xFF000000u);
  m_font->Draw(pixels, Pitch(), m_params.width, m_params.height, x, y, text, 0xFFFFFFFFu);
}

void CDisplayDevice::DrawFrame(const util::CRect& rect, uint32_t colorRef) {
  uint32_t* pixels = Pixels();
  if (pixels == nullptr || rect.IsZero()) return;
  const uint32_t c = ArgbFromColorRef(colorRef);
  const int64_t W = m_params.width, H = m_params.height;
  const int64_t x0 = rect.Left, y0 = rect.Top;
  const int64_t x1 = x0 + rect.Width - 1, y1 = y0 + rect.Height - 1;  // inclusive
  auto put = [&](int64_t x, int64_t y) {
    if (x >= 0 && x < W && y >= 0 && y < H) pixels[y * W + x] = c;
  };
  for (int64_t x = std::max<int64_t>(x0, 0); x <= std::min<int64_t>(x1, W - 1); ++x) {
    put(x, y0);
    put(x, y1);
  }
  for (int64_t y = std::max<int64_t>(y0, 0); y <= std::min<int64_t>(y1, H - 1); ++y) {
    put(x0, y);
    put(x1, y);
  }
}

std::string CDisplayDevice::MemoryReport() const {
  const uint32_t now = m_root.Clock().NowMs();
  // What this program keeps in each kind of memory. Picture textures count against the
  // budget that stands for the card (the half-size rule reads the same figures); with the
  // OpenGL device they and its frame copy live on the card, with the software device in
  // system memory (the "non-local" pool). The window's streaming texture is on the card when
  // the renderer is accelerated. A driver that reports its own figures replaces the totals.
  const TextureMemory& textures = TextureMemory::Shared();
  const int64_t frameBytes = int64_t{m_params.width} * m_params.height * 4;
  const int64_t windowTexture = m_accelerated && m_texture != nullptr ? frameBytes : 0;
  const bool hal = m_started && m_params.direct3DDevice && m_params.halGraphics && m_glDevice;
  int64_t localTotal = 0, localUse = windowTexture, farTotal = 0, farUse = 0;
  if (hal) {
    localTotal = textures.Budget() / 1024;
    localUse += textures.Used() + frameBytes;
    int64_t totalKb = 0, freeKb = 0;
    if (m_glDevice->VideoMemoryKb(totalKb, freeKb)) {
      localTotal = totalKb;
      localUse = (totalKb - freeKb) * 1024;
    }
  } else if (m_params.direct3DDevice) {
    farTotal = textures.Budget() / 1024;
    farUse = textures.Used();
  }
  std::string r;
  r += "GetTime = " + std::to_string(now / 60000) + "min\r\n";
  r += "InitCount = " + std::to_string(m_initCount) + "\r\n";
  r += "PixelBits = " + std::to_string(m_params.pixelBits) + "\r\n";
  r += std::string("BackBuffer = ") + "SystemMemory" + "\r\n";
  r += "Total LocalVRAM    =" + Format6(localTotal) + "KB\r\n";
  r += "Use   LocalVRAM    =" + Format6(localUse / 1024) + "KB\r\n";
  r += "Total nonLocalVRAM =" + Format6(farTotal) + "KB\r\n";
  r += "Use   nonLocalVRAM =" + Format6(farUse / 1024) + "KB";
  return r;
}

}  // namespace present
