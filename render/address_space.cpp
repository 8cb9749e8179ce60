#include "render/address_space.h"

#include <sys/mman.h>

namespace roamlets {

bool address_space_free(std::size_t bytes) {
  // Inaccessible and unreserved: counted against the address-space limit, but
  // never against the memory the system can commit.
  void* probe = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (probe == MAP_FAILED) return false;
  munmap(probe, bytes);
  return true;
}

}  // namespace roamlets
