#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#include "view3d/SurfacelessContext.h"

namespace orvelle {
namespace {

thread_local const SurfacelessContext* currentContext = nullptr;

// The display is made once per process and kept: every picture of a batch run opens a context
// of its own, and initializing Mesa again each time would only cost time.
EGLDisplay SurfacelessDisplay(std::string& error) {
  static EGLDisplay display = EGL_NO_DISPLAY;
  static std::string failure;
  static const bool tried = [] {
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr ||
        std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
      failure = "Mesa's EGL without a window system (libegl-mesa0) is not installed.";
      return true;
    }
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay d = getDisplay == nullptr
                       ? EGL_NO_DISPLAY
                       : getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d == EGL_NO_DISPLAY || eglInitialize(d, nullptr, nullptr) != EGL_TRUE) {
      failure = "Mesa's EGL could not start without a window system.";
      return true;
    }
    display = d;
    return true;
  }();
  (void)tried;
  if (display == EGL_NO_DISPLAY) error = failure;
  return display;
}

template <typename F>
F Entry(const char* name) {
  return reinterpret_cast<F>(eglGetProcAddress(name));
}

}  // namespace

// The picture is a framebuffer object like the one Qt's context draws into: Mesa rasterizes a
// window system's own buffer upside down internally, which moves the ends of some lines by a
// pixel, so the pbuffer only serves to make the context current.
struct SurfacelessContext::Native {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;

  bool MakeFramebuffer(int width, int height) {
    const auto genFramebuffers = Entry<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    const auto genRenderbuffers = Entry<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    const auto bindRenderbuffer = Entry<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    const auto renderbufferStorage = Entry<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    const auto framebufferTexture = Entry<PFNGLFRAMEBUFFERTEXTURE2DPROC>("glFramebufferTexture2D");
    const auto framebufferRenderbuffer =
        Entry<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    const auto checkStatus = Entry<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    bindFramebuffer = Entry<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    if (!genFramebuffers || !genRenderbuffers || !bindRenderbuffer || !renderbufferStorage ||
        !framebufferTexture || !framebufferRenderbuffer || !checkStatus || !bindFramebuffer)
      return false;
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    framebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    genRenderbuffers(1, &depth);
    bindRenderbuffer(GL_RENDERBUFFER, depth);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    bindRenderbuffer(GL_RENDERBUFFER, 0);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return checkStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }

  // With the context current.
  void DeleteFramebuffer() {
    if (framebuffer == 0) return;
    const auto deleteFramebuffers = Entry<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers");
    const auto deleteRenderbuffers = Entry<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers");
    bindFramebuffer(GL_FRAMEBUFFER, 0);
    deleteFramebuffers(1, &framebuffer);
    deleteRenderbuffers(1, &depth);
    glDeleteTextures(1, &colour);
    framebuffer = colour = depth = 0;
  }

  ~Native() {
    if (framebuffer != 0 && eglMakeCurrent(display, surface, surface, context) == EGL_TRUE) {
      DeleteFramebuffer();
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
  }
};

SurfacelessContext::SurfacelessContext() = default;

SurfacelessContext::~SurfacelessContext() { DoneCurrent(); }

bool SurfacelessContext::Open(int width, int height, std::string& error) {
  DoneCurrent();
  // A context that exists keeps its compiled drawing code: only the picture is replaced.
  if (native_ && eglBindAPI(EGL_OPENGL_API) == EGL_TRUE &&
      eglMakeCurrent(native_->display, native_->surface, native_->surface, native_->context) ==
          EGL_TRUE) {
    native_->DeleteFramebuffer();
    const bool made = native_->MakeFramebuffer(width, height);
    eglMakeCurrent(native_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (made) return true;
  }
  native_.reset();
  const EGLDisplay display = SurfacelessDisplay(error);
  if (display == EGL_NO_DISPLAY) return false;
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    error = "Mesa's EGL offers no desktop OpenGL.";
    return false;
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_DEPTH_SIZE,
                                     24,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (eglChooseConfig(display, configAttributes, &config, 1, &configs) != EGL_TRUE || configs < 1) {
    error = "Mesa's EGL offers no picture with colour and depth for OpenGL.";
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  auto native = std::make_unique<Native>();
  native->display = display;
  native->context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  const EGLint surfaceAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
  if (native->context != EGL_NO_CONTEXT)
    native->surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  const bool made =
      native->surface != EGL_NO_SURFACE &&
      eglMakeCurrent(display, native->surface, native->surface, native->context) == EGL_TRUE &&
      native->MakeFramebuffer(width, height);
  if (native->surface != EGL_NO_SURFACE)
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (!made) {
    error = "Cannot create an OpenGL picture of " + std::to_string(width) + " x " +
            std::to_string(height) + " pixels without a window system.";
    return false;
  }
  native_ = std::move(native);
  return true;
}

bool SurfacelessContext::MakeCurrent() {
  if (!native_ || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE ||
      eglMakeCurrent(native_->display, native_->surface, native_->surface, native_->context) !=
          EGL_TRUE)
    return false;
  native_->bindFramebuffer(GL_FRAMEBUFFER, native_->framebuffer);
  currentContext = this;
  return true;
}

void SurfacelessContext::DoneCurrent() {
  if (!native_ || currentContext != this) return;
  native_->bindFramebuffer(GL_FRAMEBUFFER, 0);
  eglMakeCurrent(native_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  currentContext = nullptr;
}

bool SurfacelessContextCurrent() { return currentContext != nullptr; }

}  // namespace orvelle
