// An OpenGL context on an offscreen surface with a framebuffer object of a fixed size: draws
// the 3D view without a window (copies in tests, the command line, benchmarks). Where the
// window system offers no OpenGL (no display at all), a context without one draws instead.
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QSurfaceFormat;

namespace orvelle {

class SurfacelessContext;

class OffscreenSurfaceRenderer {
 public:
  OffscreenSurfaceRenderer();
  ~OffscreenSurfaceRenderer();
  OffscreenSurfaceRenderer(const OffscreenSurfaceRenderer&) = delete;
  OffscreenSurfaceRenderer& operator=(const OffscreenSurfaceRenderer&) = delete;

  // Creates the context and a width x height framebuffer (RGBA, depth). Needs a
  // QGuiApplication. When Qt's platform offers no OpenGL (no display), a context without a
  // window system is made instead, giving the same pixels. False, with a one-line reason in
  // `error` and no message shown, when neither can be made or the framebuffer cannot be made.
  // Opening again keeps the context (Qt's or the one without a window system) and replaces
  // only the framebuffer.
  bool Open(int width, int height, std::string& error);

  // Runs `work` with the context current (no framebuffer bound), so that it may release what
  // the context holds. Does nothing when no context was made.
  void RunInContext(const std::function<void()>& work);

  // Makes the context current with the framebuffer bound, calls draw(width, height), reads the
  // whole framebuffer back and releases the context. A null image when Open did not succeed.
  QImage Render(const std::function<void(int width, int height)>& draw);

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  std::unique_ptr<QOffscreenSurface> surface_;
  std::unique_ptr<QOpenGLContext> context_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
  std::unique_ptr<SurfacelessContext> surfaceless_;
  int width_ = 0;
  int height_ = 0;
};

// The surface format of the 3D view: double-buffered RGBA, 8 bits a channel, with a depth
// buffer, fixed-function OpenGL (compatibility profile).
QSurfaceFormat SurfaceViewFormat();

}  // namespace orvelle
