#include "x11/x11_geometry_guard.h"

#include <dlfcn.h>

#include <algorithm>

#include "x11/run_options.h"

namespace roamlets::saver {

Status query_geometry(GeometryQuery query, Display* display, Drawable drawable, ::Window* root, int* x, int* y,
                      unsigned* width, unsigned* height, unsigned* border, unsigned* depth, unsigned max_side) {
  const Status status = query != nullptr ? query(display, drawable, root, x, y, width, height, border, depth) : 0;
  if (status == 0) {
    *root = None;
    *x = 0;
    *y = 0;
    *width = 1;
    *height = 1;
    *border = 0;
    *depth = 0;
  }
  *width = std::min(*width, max_side);
  *height = std::min(*height, max_side);
  return status;
}

}  // namespace roamlets::saver

// The program's own definition of the X library's query, found ahead of the
// X library's by every module (the program exports it); see the header.
extern "C" Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y, unsigned* width,
                               unsigned* height, unsigned* border, unsigned* depth) {
  static const auto x_library_query =
      reinterpret_cast<roamlets::saver::GeometryQuery>(dlsym(RTLD_NEXT, "XGetGeometry"));
  return roamlets::saver::query_geometry(x_library_query, display, drawable, root, x, y, width, height, border,
                                        depth, static_cast<unsigned>(roamlets::saver::kMaxWindowSide));
}
