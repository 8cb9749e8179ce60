/* Clears the root window's buffers and swaps, 30 times a second, until it is
 * ended; nothing else. The performance report counts its instructions per
 * frame under callgrind to show what a frame's clear costs on the root
 * window's visual, which carries a stencil buffer beside the depth buffer:
 *
 *   clear_probe depth            glClear(COLOR | DEPTH), as roamlets clears
 *   clear_probe depth+stencil    glClear(COLOR | DEPTH | STENCIL)
 */
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

int main(int argc, char **argv) {
  GLbitfield mask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
  if (argc != 2 || (strcmp(argv[1], "depth") != 0 && strcmp(argv[1], "depth+stencil") != 0)) {
    fprintf(stderr, "usage: clear_probe depth|depth+stencil\n");
    return 2;
  }
  if (strcmp(argv[1], "depth+stencil") == 0) mask |= GL_STENCIL_BUFFER_BIT;

  Display *display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "clear_probe: cannot open the display\n");
    return 1;
  }
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  XVisualInfo wanted;
  memset(&wanted, 0, sizeof wanted);
  wanted.visualid = XVisualIDFromVisual(DefaultVisual(display, screen));
  int count = 0;
  XVisualInfo *visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  GLXContext context = visual != NULL ? glXCreateContext(display, visual, NULL, True) : NULL;
  if (context == NULL || !glXMakeCurrent(display, root, context)) {
    fprintf(stderr, "clear_probe: no OpenGL context on the root window\n");
    return 1;
  }
  int depth = 0, stencil = 0;
  glXGetConfig(display, visual, GLX_DEPTH_SIZE, &depth);
  glXGetConfig(display, visual, GLX_STENCIL_SIZE, &stencil);
  printf("visual 0x%lx: depth %d bits, stencil %d bits\n", visual->visualid, depth, stencil);
  fflush(stdout);

  glEnable(GL_DEPTH_TEST);
  const struct timespec period = {0, 33000000};
  for (;;) {
    glClear(mask);
    glXSwapBuffers(display, root);
    nanosleep(&period, NULL);
  }
}
