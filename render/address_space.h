// Whether the process can still take a given amount of memory, asked before
// handing work to a library that does not survive running out: Mesa's
// software renderer crashes on some failed allocations (compiling a display
// list, for one) where it reports others as GL_OUT_OF_MEMORY.
#pragma once

#include <cstddef>

namespace roamlets {

// True when `bytes` more of address space can be mapped now (a limit such as
// `ulimit -v` leaves room for them). Maps nothing that stays, and touches no
// memory.
bool address_space_free(std::size_t bytes);

}  // namespace roamlets
