// The OpenGL device: a hidden SDL window with a 3.3 core context, a frame-buffer object over a
// copy of the render target, textures cached by surface and content version, one shader
// program whose uniforms pick the stage operations, and GL blending for the blend pairs.
#include "present/CGlDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>

#include <unordered_map>
#include <vector>

namespace present {

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 uv;
uniform vec2 viewport;
out vec4 vColor;
out vec2 vUV;
void main() {
  // Pixel (x, y) of the software device is sampled at x, y; GL samples at centres. The small
  // pull towards the origin turns GL's tie rule into the software device's top-left rule.
  vec2 p = (position + vec2(0.5 - 1.0 / 256.0)) / viewport * 2.0 - 1.0;
  gl_Position = vec4(p, 0.0, 1.0);
  vColor = color;
  vUV = uv;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUV;
out vec4 outColor;
uniform sampler2D tex0;
uniform sampler2D tex1;
uniform bool hasTex0;
uniform bool hasTex1;
uniform bool linearFilter;
uniform bool colorKey;
uniform ivec3 keyColor;
uniform int colorOp0;
uniform int alphaOp0;
uniform int colorOp1;
uniform int alphaOp1;
uniform vec4 factor;

vec4 tap(sampler2D s, ivec2 p, ivec2 size) { return texelFetch(s, clamp(p, ivec2(0), size - 1), 0); }
bool keyed(vec4 c) { return all(equal(ivec3(round(c.rgb * 255.0)), keyColor)); }

bool sampleTex(sampler2D s, vec2 uv, bool lin, bool key, out vec4 c) {
  ivec2 size = textureSize(s, 0);
  vec2 st = uv * vec2(size);
  if (!lin) {
    c = tap(s, ivec2(floor(st)), size);
    return !(key && keyed(c));
  }
  st -= 0.5;
  vec2 f = floor(st);
  ivec2 p = ivec2(f);
  vec2 w = floor((st - f) * 256.0) / 256.0;
  vec4 t00 = tap(s, p, size), t10 = tap(s, p + ivec2(1, 0), size);
  vec4 t01 = tap(s, p + ivec2(0, 1), size), t11 = tap(s, p + ivec2(1, 1), size);
  if (key) {
    int kept = 4;
    if (keyed(t00)) { t00 = vec4(0.0); kept--; }
    if (keyed(t10)) { t10 = vec4(0.0); kept--; }
    if (keyed(t01)) { t01 = vec4(0.0); kept--; }
    if (keyed(t11)) { t11 = vec4(0.0); kept--; }
    if (kept == 0) return false;
  }
  c = mix(mix(t00, t10, w.x), mix(t01, t11, w.x), w.y);
  return true;
}

// Operation numbers: 1 select 1, 2 select 2, 3 modulate, 4 x2, 5 x4, 6 add, 7 subtract,
// 8 add signed, 9 blend by texture alpha, 10 blend by factor alpha.
vec4 combine(int op, vec4 a1, vec4 a2, float textureAlpha) {
  if (op == 1) return a1;
  if (op == 2) return a2;
  if (op == 3) return a1 * a2;
  if (op == 4) return min(2.0 * a1 * a2, 1.0);
  if (op == 5) return min(4.0 * a1 * a2, 1.0);
  if (op == 6) return min(a1 + a2, 1.0);
  if (op == 7) return max(a1 - a2, 0.0);
  if (op == 8) return clamp(a1 + a2 - 128.0 / 255.0, 0.0, 1.0);
  if (op == 9) return mix(a2, a1, textureAlpha);
  if (op == 10) return mix(a2, a1, factor.a);
  return a1;
}

vec4 runStage(int cop, int aop, vec4 t, vec4 arg2, vec4 current) {
  vec4 r = current;
  if (cop != 0) r.rgb = combine(cop, t, arg2, t.a).rgb;
  if (aop != 0) r.a = combine(aop, t, arg2, t.a).a;
  return r;
}

void main() {
  vec4 diffuse = round(vColor * 255.0) / 255.0;
  vec4 t0 = vec4(1.0);
  if (hasTex0 && !sampleTex(tex0, vUV, linearFilter, colorKey, t0)) discard;
  vec4 c = runStage(colorOp0, alphaOp0, t0, diffuse, diffuse);
  if (hasTex1 && colorOp1 != 0) {
    vec4 t1 = vec4(1.0);
    sampleTex(tex1, vUV, linearFilter, false, t1);
    c = runStage(colorOp1, alphaOp1, t1, c, c);
  }
  outColor = c;
}
)";

// The menu overlay on the window: positions in window pixels from the top-left.
constexpr const char* kOverlayVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 2) in vec2 uv;
uniform vec2 viewport;
out vec2 vUV;
void main() {
  gl_Position = vec4(position.x / viewport.x * 2.0 - 1.0, 1.0 - position.y / viewport.y * 2.0,
                     0.0, 1.0);
  vUV = uv;
}
)";

constexpr const char* kOverlayFragmentShader = R"(#version 330 core
in vec2 vUV;
uniform sampler2D overlay;
out vec4 fragColor;
void main() { fragColor = texture(overlay, vUV); }
)";

GLuint Compile(GLenum type, const char* source, std::string& log) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (ok == 0) {
    char text[1024] = {};
    glGetShaderInfoLog(s, sizeof text, nullptr, text);
    log = text;
    glDeleteShader(s);
    return 0;
  }
  return s;
}

GLenum GlFactor(BlendFactor f) {
  switch (f) {
    case BlendFactor::Zero: return GL_ZERO;
    case BlendFactor::One: return GL_ONE;
    case BlendFactor::SrcAlpha: return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::SrcColor: return GL_SRC_COLOR;
    case BlendFactor::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::DestColor: return GL_DST_COLOR;
    case BlendFactor::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
  }
  return GL_ONE;
}

}  // namespace

struct CGlDevice::Impl {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  std::string renderer;
  GLint maxTextureSize = 0;
  GLuint program = 0, vao = 0, vbo = 0, ebo = 0;
  GLuint fbo = 0, colorTexture = 0;
  uint32_t* pixels = nullptr;
  int32_t width = 0, height = 0, pitch = 0;
  struct Cached {
    GLuint texture = 0;
    uint32_t version = 0;
    int32_t width = 0, height = 0;
  };
  std::unordered_map<const engine::CSurface*, Cached> textures;
  std::vector<uint32_t> scratch;
  std::vector<uint16_t> indexes;
  // Presenting to a window: the overlay program and texture, the swap interval set last.
  GLuint overlayProgram = 0, overlayTexture = 0;
  int32_t overlayW = 0, overlayH = 0;
  int swapInterval = -2;

  GLint Uniform(const char* name) const { return glGetUniformLocation(program, name); }
  void MakeCurrent() const { SDL_GL_MakeCurrent(window, context); }
};

CGlDevice::CGlDevice() : m_impl(std::make_unique<Impl>()) {}

std::unique_ptr<CGlDevice> CGlDevice::Create(std::string& why) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    why = SDL_GetError();
    return nullptr;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  std::unique_ptr<CGlDevice> d(new CGlDevice());
  Impl& m = *d->m_impl;
  m.window = SDL_CreateWindow("tumbleroo-gl", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (m.window == nullptr) {
    why = SDL_GetError();
    return nullptr;
  }
  m.context = SDL_GL_CreateContext(m.window);
  if (m.context == nullptr) {
    why = SDL_GetError();
    return nullptr;
  }
  m.MakeCurrent();
  std::string log;
  const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, log);
  const GLuint fs = vs != 0 ? Compile(GL_FRAGMENT_SHADER, kFragmentShader, log) : 0;
  if (fs == 0) {
    why = "shader: " + log;
    if (vs != 0) glDeleteShader(vs);
    return nullptr;
  }
  m.program = glCreateProgram();
  glAttachShader(m.program, vs);
  glAttachShader(m.program, fs);
  glLinkProgram(m.program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint linked = 0;
  glGetProgramiv(m.program, GL_LINK_STATUS, &linked);
  if (linked == 0) {
    why = "the shader program does not link";
    return nullptr;
  }
  glGenVertexArrays(1, &m.vao);
  glBindVertexArray(m.vao);
  glGenBuffers(1, &m.vbo);
  glGenBuffers(1, &m.ebo);
  glBindBuffer(GL_ARRAY_BUFFER, m.vbo);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m.ebo);
  const auto stride = static_cast<GLsizei>(sizeof(TLVertex));
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TLVertex, sx)));
  glEnableVertexAttribArray(1);
  // 0xAARRGGBB words are B, G, R, A bytes: GL_BGRA hands them to the shader as RGBA.
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(offsetof(TLVertex, color)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TLVertex, tu)));
  glUseProgram(m.program);
  glUniform1i(m.Uniform("tex0"), 0);
  glUniform1i(m.Uniform("tex1"), 1);
  const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  m.renderer = name != nullptr ? name : "OpenGL";
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m.maxTextureSize);
  if (glGetError() != GL_NO_ERROR) {
    why = "OpenGL set-up failed";
    return nullptr;
  }
  return d;
}

CGlDevice::~CGlDevice() {
  Impl& m = *m_impl;
  if (m.context != nullptr) {
    m.MakeCurrent();
    for (auto& [surface, cached] : m.textures) glDeleteTextures(1, &cached.texture);
    if (m.colorTexture != 0) glDeleteTextures(1, &m.colorTexture);
    if (m.fbo != 0) glDeleteFramebuffers(1, &m.fbo);
    if (m.vbo != 0) glDeleteBuffers(1, &m.vbo);
    if (m.ebo != 0) glDeleteBuffers(1, &m.ebo);
    if (m.vao != 0) glDeleteVertexArrays(1, &m.vao);
    if (m.program != 0) glDeleteProgram(m.program);
    if (m.overlayProgram != 0) glDeleteProgram(m.overlayProgram);
    if (m.overlayTexture != 0) glDeleteTextures(1, &m.overlayTexture);
    SDL_GL_DeleteContext(m.context);
  }
  if (m.window != nullptr) SDL_DestroyWindow(m.window);
}

const std::string& CGlDevice::Renderer() const { return m_impl->renderer; }

void CGlDevice::SetRenderTarget(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) {
  Impl& m = *m_impl;
  const bool usable = pixels != nullptr && width > 0 && height > 0 && pitch >= width * 4 &&
                      pitch % 4 == 0;
  m.pixels = usable ? pixels : nullptr;
  if (!usable) return;
  m.MakeCurrent();
  if (m.fbo == 0 || width != m.width || height != m.height) {
    if (m.colorTexture != 0) glDeleteTextures(1, &m.colorTexture);
    if (m.fbo == 0) glGenFramebuffers(1, &m.fbo);
    glGenTextures(1, &m.colorTexture);
    glBindTexture(GL_TEXTURE_2D, m.colorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m.colorTexture, 0);
  }
  m.width = width;
  m.height = height;
  m.pitch = pitch;
  // The software drawing so far goes up as the frame's starting picture. Rows keep their
  // order: the device's y grows with GL's, so no flip is needed either way.
  glBindTexture(GL_TEXTURE_2D, m.colorTexture);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
  glViewport(0, 0, width, height);
}

void CGlDevice::Resume() {
  Impl& m = *m_impl;
  if (m.pixels == nullptr || m.fbo == 0) return;
  m.MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
  glViewport(0, 0, m.width, m.height);
}

bool CGlDevice::PresentToWindow(void* nativeWindow, const PresentArea& area) {
  Impl& m = *m_impl;
  auto* window = static_cast<SDL_Window*>(nativeWindow);
  if (window == nullptr || m.fbo == 0 || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0)
    return false;
  if (SDL_GL_MakeCurrent(window, m.context) != 0) return false;
  int winW = 0, winH = 0;
  SDL_GL_GetDrawableSize(window, &winW, &winH);
  if (area.vsync != m.swapInterval) {
    SDL_GL_SetSwapInterval(area.vsync);
    m.swapInterval = area.vsync;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, winW, winH);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // The frame's row 0 is the picture's top row; the window's is its bottom: the blit flips.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  const bool scaled = area.w != m.width || area.h != m.height;
  glBlitFramebuffer(0, 0, m.width, m.height, area.x, winH - area.y, area.x + area.w,
                    winH - area.y - area.h, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (area.overlay != nullptr && area.overlayW > 0 && area.overlayH > 0 &&
      area.box[2] > area.box[0] && area.box[3] > area.box[1]) {
    if (m.overlayProgram == 0) {
      std::string log;
      const GLuint vs = Compile(GL_VERTEX_SHADER, kOverlayVertexShader, log);
      const GLuint fs = vs != 0 ? Compile(GL_FRAGMENT_SHADER, kOverlayFragmentShader, log) : 0;
      if (fs != 0) {
        m.overlayProgram = glCreateProgram();
        glAttachShader(m.overlayProgram, vs);
        glAttachShader(m.overlayProgram, fs);
        glLinkProgram(m.overlayProgram);
        glDeleteShader(fs);
      }
      if (vs != 0) glDeleteShader(vs);
    }
    if (m.overlayTexture == 0 || m.overlayW != area.overlayW || m.overlayH != area.overlayH) {
      if (m.overlayTexture == 0) glGenTextures(1, &m.overlayTexture);
      glBindTexture(GL_TEXTURE_2D, m.overlayTexture);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, area.overlayW, area.overlayH, 0, GL_BGRA,
                   GL_UNSIGNED_BYTE, nullptr);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      m.overlayW = area.overlayW;
      m.overlayH = area.overlayH;
    }
    const int32_t bx = area.box[0], by = area.box[1];
    const int32_t bw = area.box[2] - bx, bh = area.box[3] - by;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m.overlayTexture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, area.overlayW);
    glTexSubImage2D(GL_TEXTURE_2D, 0, bx, by, bw, bh, GL_BGRA, GL_UNSIGNED_BYTE,
                    area.overlay + static_cast<size_t>(by) * static_cast<size_t>(area.overlayW) +
                        static_cast<size_t>(bx));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glUseProgram(m.overlayProgram);
    glUniform1i(glGetUniformLocation(m.overlayProgram, "overlay"), 0);
    glUniform2f(glGetUniformLocation(m.overlayProgram, "viewport"), static_cast<float>(winW),
                static_cast<float>(winH));
    const float u0 = static_cast<float>(bx) / static_cast<float>(area.overlayW);
    const float v0 = static_cast<float>(by) / static_cast<float>(area.overlayH);
    const float u1 = static_cast<float>(bx + bw) / static_cast<float>(area.overlayW);
    const float v1 = static_cast<float>(by + bh) / static_cast<float>(area.overlayH);
    const auto fx0 = static_cast<float>(bx), fy0 = static_cast<float>(by);
    const auto fx1 = static_cast<float>(bx + bw), fy1 = static_cast<float>(by + bh);
    const TLVertex quad[4] = {TLVERTEX(fx0, fy0, 0xFFFFFFFFu, u0, v0),
                              TLVERTEX(fx1, fy0, 0xFFFFFFFFu, u1, v0),
                              TLVERTEX(fx0, fy1, 0xFFFFFFFFu, u0, v1),
                              TLVERTEX(fx1, fy1, 0xFFFFFFFFu, u1, v1)};
    glBindVertexArray(m.vao);
    glBindBuffer(GL_ARRAY_BUFFER, m.vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STREAM_DRAW);
    // The window's usual blend: colour by source alpha, alpha accumulated.
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisable(GL_BLEND);
    glUseProgram(m.program);
  }
  if (area.readBack != nullptr) {
    area.readBack->resize(static_cast<size_t>(winW) * static_cast<size_t>(winH));
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, winW, winH, GL_BGRA, GL_UNSIGNED_BYTE, area.readBack->data());
  }
  SDL_GL_SwapWindow(window);
  // Drawing goes on in the frame buffer of the device's own window.
  m.MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
  glViewport(0, 0, m.width, m.height);
  return glGetError() == GL_NO_ERROR;
}

void CGlDevice::Finish() {
  Impl& m = *m_impl;
  if (m.pixels == nullptr || m.fbo == 0) return;
  m.MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
  glPixelStorei(GL_PACK_ROW_LENGTH, m.pitch / 4);
  glReadPixels(0, 0, m.width, m.height, GL_BGRA, GL_UNSIGNED_BYTE, m.pixels);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void CGlDevice::SceneClear(bool target, bool zBuffer, uint32_t color) {
  (void)zBuffer;
  Impl& m = *m_impl;
  if (!target || m.pixels == nullptr) return;
  m.MakeCurrent();
  glDisable(GL_SCISSOR_TEST);
  glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
               static_cast<float>((color >> 8) & 0xFF) / 255.0f,
               static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void CGlDevice::ForgetTexture(const engine::CSurface* surface) {
  auto it = m_impl->textures.find(surface);
  if (it == m_impl->textures.end()) return;
  m_impl->MakeCurrent();
  glDeleteTextures(1, &it->second.texture);
  m_impl->textures.erase(it);
}

bool CGlDevice::VideoMemoryKb(int64_t& totalKb, int64_t& freeKb) {
  Impl& m = *m_impl;
  m.MakeCurrent();
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  bool nvx = false, ati = false;
  for (GLint i = 0; i < count; ++i) {
    const auto* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (name == nullptr) continue;
    const std::string ext(name);
    nvx = nvx || ext == "GL_NVX_gpu_memory_info";
    ati = ati || ext == "GL_ATI_meminfo";
  }
  if (nvx) {
    GLint total = 0, available = 0;
    glGetIntegerv(0x9048, &total);      // GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX
    glGetIntegerv(0x9049, &available);  // GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX
    totalKb = total;
    freeKb = available;
    return glGetError() == GL_NO_ERROR && total > 0;
  }
  if (ati) {
    GLint info[4] = {0, 0, 0, 0};
    glGetIntegerv(0x87FC, info);  // TEXTURE_FREE_MEMORY_ATI: free pool first
    totalKb = info[0];
    freeKb = info[0];
    return glGetError() == GL_NO_ERROR && info[0] > 0;
  }
  return false;
}

int32_t CGlDevice::MaxTextureSize() const {
  const int32_t side = static_cast<int32_t>(m_impl->maxTextureSize);
  return side > 0 ? std::min(side, kMaxTextureSide) : kMaxTextureSide;
}

bool CGlDevice::Prepare() {
  Impl& m = *m_impl;
  if (m.pixels == nullptr) return false;
  m.MakeCurrent();
  glUseProgram(m.program);
  glBindVertexArray(m.vao);
  glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
  glViewport(0, 0, m.width, m.height);
  glUniform2f(m.Uniform("viewport"), static_cast<float>(m.width), static_cast<float>(m.height));
  const RenderState& st = m_state;
  for (int stage = 0; stage < 2; ++stage) {
    const engine::CSurface* s = m_texture[stage];
    glUniform1i(m.Uniform(stage == 0 ? "hasTex0" : "hasTex1"), s != nullptr ? 1 : 0);
    if (s == nullptr) continue;
    if (s->Bytes() == nullptr) return false;  // lost: nothing is drawn
    Impl::Cached& c = m.textures[s];
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(stage));
    if (c.texture == 0) glGenTextures(1, &c.texture);
    glBindTexture(GL_TEXTURE_2D, c.texture);
    if (c.version != s->Version() || c.width != s->Width() || c.height != s->Height()) {
      const uint32_t* src = nullptr;
      if (s->Format() == engine::PixelFormat::Argb8888()) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, s->Pitch() / 4);
        src = reinterpret_cast<const uint32_t*>(s->Bytes());
      } else {
        const bool alpha = s->Format().aMask != 0;
        m.scratch.resize(static_cast<size_t>(s->Width()) * static_cast<size_t>(s->Height()));
        for (int32_t y = 0; y < s->Height(); ++y)
          for (int32_t x = 0; x < s->Width(); ++x) {
            const uint32_t v = s->ReadPixel(x, y);
            m.scratch[static_cast<size_t>(y) * static_cast<size_t>(s->Width()) +
                      static_cast<size_t>(x)] = alpha ? v : (v | 0xFF000000u);
          }
        src = m.scratch.data();
      }
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, s->Width(), s->Height(), 0, GL_BGRA,
                   GL_UNSIGNED_BYTE, src);
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      c.version = s->Version();
      c.width = s->Width();
      c.height = s->Height();
    }
  }
  glActiveTexture(GL_TEXTURE0);
  glUniform1i(m.Uniform("linearFilter"), st.linearFilter ? 1 : 0);
  glUniform1i(m.Uniform("colorKey"), st.colorKey ? 1 : 0);
  glUniform3i(m.Uniform("keyColor"), static_cast<GLint>((st.colorKeyValue >> 16) & 0xFF),
              static_cast<GLint>((st.colorKeyValue >> 8) & 0xFF),
              static_cast<GLint>(st.colorKeyValue & 0xFF));
  glUniform1i(m.Uniform("colorOp0"), static_cast<GLint>(st.stage[0].colorOp));
  glUniform1i(m.Uniform("alphaOp0"), static_cast<GLint>(st.stage[0].alphaOp));
  glUniform1i(m.Uniform("colorOp1"), static_cast<GLint>(st.stage[1].colorOp));
  glUniform1i(m.Uniform("alphaOp1"), static_cast<GLint>(st.stage[1].alphaOp));
  glUniform4f(m.Uniform("factor"), static_cast<float>((st.factor >> 16) & 0xFF) / 255.0f,
              static_cast<float>((st.factor >> 8) & 0xFF) / 255.0f,
              static_cast<float>(st.factor & 0xFF) / 255.0f,
              static_cast<float>(st.factor >> 24) / 255.0f);
  if (st.blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GlFactor(st.srcBlend), GlFactor(st.destBlend));
  } else {
    glDisable(GL_BLEND);
  }
  if (st.cullMode == kCullNone) {
    glDisable(GL_CULL_FACE);
  } else {
    // Rows are not flipped, so a clockwise triangle on screen is counter-clockwise to GL.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(st.cullMode == kCullClockwise ? GL_FRONT : GL_BACK);
  }
  if (st.clipX1 > st.clipX0 && st.clipY1 > st.clipY0) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(st.clipX0, st.clipY0, st.clipX1 - st.clipX0, st.clipY1 - st.clipY0);
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
  return true;
}

void CGlDevice::DrawStrip(const TLVertex* vertices, int32_t count) {
  if (vertices == nullptr || count < 3 || !Prepare()) return;
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(TLVertex) * static_cast<size_t>(count)),
               vertices, GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
}

void CGlDevice::DrawIndexed(const TLVertex* vertices, int32_t count, const uint16_t* indexes,
                            int32_t indexCount) {
  if (vertices == nullptr || indexes == nullptr || count <= 0 || !Prepare()) return;
  std::vector<uint16_t>& kept = m_impl->indexes;
  kept.clear();
  for (int32_t i = 0; i + 2 < indexCount; i += 3)
    if (indexes[i] < count && indexes[i + 1] < count && indexes[i + 2] < count)
      kept.insert(kept.end(), indexes + i, indexes + i + 3);
  if (kept.empty()) return;
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(TLVertex) * static_cast<size_t>(count)),
               vertices, GL_STREAM_DRAW);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(kept.size() * sizeof(uint16_t)),
               kept.data(), GL_STREAM_DRAW);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(kept.size()), GL_UNSIGNED_SHORT, nullptr);
}

}  // namespace present
