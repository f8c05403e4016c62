#include "view3d/SurfacelessContext.h"

namespace orvelle {

// The window system of Windows always offers OpenGL, so no context without it is needed.
struct SurfacelessContext::Native {};

SurfacelessContext::SurfacelessContext() = default;
SurfacelessContext::~SurfacelessContext() = default;

bool SurfacelessContext::Open(int, int, std::string& error) {
  error = "OpenGL without a window system is not available on this system.";
  return false;
}

bool SurfacelessContext::MakeCurrent() { return false; }
void SurfacelessContext::DoneCurrent() {}

bool SurfacelessContextCurrent() { return false; }

}  // namespace orvelle
