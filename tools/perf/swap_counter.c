/* Counts the frames a program presents, for the performance report.
 *
 * Loaded with LD_PRELOAD, it stands in front of glXSwapBuffers and
 * eglSwapBuffers, passes each call on, and then records in the file named by
 * ROAMLETS_PERF_SWAPS (made by the caller, at least sizeof(struct record)
 * bytes of zeros, mapped shared) the number of swaps so far and the
 * CLOCK_MONOTONIC times of the first and the latest one, in nanoseconds. The
 * caller reads the file while the program runs, so a program ended by a
 * signal has still told everything. Without the variable, or when the file
 * cannot be mapped, the calls are only passed on.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

struct record {
  uint64_t swaps;
  int64_t first_ns;
  int64_t last_ns;
};

static struct record *shared_record(void) {
  static struct record *record;
  static int tried;
  if (__atomic_load_n(&tried, __ATOMIC_ACQUIRE)) return record;
  const char *path = getenv("ROAMLETS_PERF_SWAPS");
  if (path != NULL) {
    const int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
      void *map = mmap(NULL, sizeof(struct record), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      close(fd);
      if (map != MAP_FAILED) record = map;
    }
  }
  __atomic_store_n(&tried, 1, __ATOMIC_RELEASE);
  return record;
}

static void note_swap(void) {
  struct record *record = shared_record();
  if (record == NULL) return;
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t ns = (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
  int64_t unset = 0;
  __atomic_compare_exchange_n(&record->first_ns, &unset, ns, 0, __ATOMIC_RELAXED, __ATOMIC_RELAXED);
  __atomic_store_n(&record->last_ns, ns, __ATOMIC_RELAXED);
  __atomic_add_fetch(&record->swaps, 1, __ATOMIC_RELEASE);
}

/* The real functions; their types as in GL/glx.h and EGL/egl.h, without
 * including those headers, so that these definitions cannot clash with them. */
typedef void glx_swap_fn(void *display, unsigned long drawable);
typedef unsigned int egl_swap_fn(void *display, void *surface);

void glXSwapBuffers(void *display, unsigned long drawable);
unsigned int eglSwapBuffers(void *display, void *surface);

void glXSwapBuffers(void *display, unsigned long drawable) {
  static glx_swap_fn *found;
  glx_swap_fn *real = __atomic_load_n(&found, __ATOMIC_RELAXED);
  if (real == NULL) {
    real = (glx_swap_fn *)dlsym(RTLD_NEXT, "glXSwapBuffers");
    __atomic_store_n(&found, real, __ATOMIC_RELAXED);
  }
  if (real != NULL) real(display, drawable);
  note_swap();
}

unsigned int eglSwapBuffers(void *display, void *surface) {
  static egl_swap_fn *found;
  egl_swap_fn *real = __atomic_load_n(&found, __ATOMIC_RELAXED);
  if (real == NULL) {
    real = (egl_swap_fn *)dlsym(RTLD_NEXT, "eglSwapBuffers");
    __atomic_store_n(&found, real, __ATOMIC_RELAXED);
  }
  const unsigned int done = real != NULL ? real(display, surface) : 0;
  note_swap();
  return done;
}
