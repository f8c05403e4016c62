#include "view3d/OffscreenSurfaceRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include "view3d/SurfaceRenderer.h"
#include "view3d/SurfacelessContext.h"

namespace orvelle {

QSurfaceFormat SurfaceViewFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setDepthBufferSize(24);
  return format;
}

namespace {

// Needs the context current.
std::unique_ptr<QOpenGLFramebufferObject> MakeFramebuffer(int width, int height,
                                                          std::string& error) {
  QOpenGLFramebufferObjectFormat fboFormat;
  fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
  fboFormat.setInternalTextureFormat(0x8058);  // GL_RGBA8
  auto fbo = std::make_unique<QOpenGLFramebufferObject>(width, height, fboFormat);
  if (fbo->isValid()) return fbo;
  error = "Cannot create an OpenGL picture of " + std::to_string(width) + " x " +
          std::to_string(height) + " pixels.";
  return nullptr;
}

}  // namespace

OffscreenSurfaceRenderer::OffscreenSurfaceRenderer() = default;

OffscreenSurfaceRenderer::~OffscreenSurfaceRenderer() {
  if (context_ && surface_ && context_->makeCurrent(surface_.get())) {
    fbo_.reset();
    context_->doneCurrent();
  }
}

bool OffscreenSurfaceRenderer::Open(int width, int height, std::string& error) {
  width_ = height_ = 0;
  if (context_ && context_->makeCurrent(surface_.get())) {
    fbo_.reset();
    if (auto fbo = MakeFramebuffer(width, height, error)) {
      fbo_ = std::move(fbo);
      width_ = width;
      height_ = height;
    }
    context_->doneCurrent();
    return fbo_ != nullptr;
  }
  if (surfaceless_ && surfaceless_->Open(width, height, error)) {
    width_ = width;
    height_ = height;
    return true;
  }
  fbo_.reset();
  context_.reset();
  surface_.reset();
  surfaceless_.reset();
  if (QGuiApplication::instance() == nullptr) {
    error = "OpenGL needs a running application object.";
    return false;
  }
  const QSurfaceFormat format = SurfaceViewFormat();
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(format);
  auto surface = std::make_unique<QOffscreenSurface>();
  surface->setFormat(format);
  surface->create();
  if (!context->create() || !surface->isValid() || !context->makeCurrent(surface.get())) {
    auto surfaceless = std::make_unique<SurfacelessContext>();
    std::string reason;
    if (!surfaceless->Open(width, height, reason)) {
      error = "OpenGL is not available: the display offers none, and " + reason;
      return false;
    }
    surfaceless_ = std::move(surfaceless);
    width_ = width;
    height_ = height;
    return true;
  }
  auto fbo = MakeFramebuffer(width, height, error);
  if (!fbo) {
    context->doneCurrent();
    return false;
  }
  context->doneCurrent();
  surface_ = std::move(surface);
  context_ = std::move(context);
  fbo_ = std::move(fbo);
  width_ = width;
  height_ = height;
  return true;
}

void OffscreenSurfaceRenderer::RunInContext(const std::function<void()>& work) {
  if (surfaceless_) {
    if (!surfaceless_->MakeCurrent()) return;
    work();
    surfaceless_->DoneCurrent();
    return;
  }
  if (!context_ || !context_->makeCurrent(surface_.get())) return;
  work();
  context_->doneCurrent();
}

QImage OffscreenSurfaceRenderer::Render(const std::function<void(int, int)>& draw) {
  if (surfaceless_) {
    if (!surfaceless_->MakeCurrent()) return {};
    draw(width_, height_);
    QImage image = ReadFramePixels(width_, height_);
    surfaceless_->DoneCurrent();
    return image;
  }
  if (!fbo_ || !context_->makeCurrent(surface_.get())) return {};
  fbo_->bind();
  draw(width_, height_);
  QImage image = ReadFramePixels(width_, height_);
  fbo_->release();
  context_->doneCurrent();
  return image;
}

}  // namespace orvelle
