// An OpenGL context that needs no window system: where neither an X server nor Wayland runs
// (compute nodes, containers), the 3D view is drawn through Mesa's software renderer on its
// own, into a picture of a fixed size.
#pragma once

#include <memory>
#include <string>

namespace orvelle {

class SurfacelessContext {
 public:
  SurfacelessContext();
  ~SurfacelessContext();
  SurfacelessContext(const SurfacelessContext&) = delete;
  SurfacelessContext& operator=(const SurfacelessContext&) = delete;

  // Creates a compatibility-profile context drawing into a width x height RGBA picture with a
  // 24-bit depth buffer. False, with a one-line reason in `error`, when the system offers no
  // such context (always on systems other than Linux). Opening again keeps the context and
  // replaces only the picture.
  bool Open(int width, int height, std::string& error);

  // Makes the context current on this thread with its picture as the framebuffer that GL
  // calls draw into and read from. False when Open did not succeed.
  bool MakeCurrent();
  void DoneCurrent();

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

// True while a SurfacelessContext is current on this thread (Qt then knows of no context, yet
// GL calls reach this one).
bool SurfacelessContextCurrent();

}  // namespace orvelle
