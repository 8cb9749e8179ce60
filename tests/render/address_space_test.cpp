// The memory headroom probe: room the process has, and room no process has.
#include "render/address_space.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace roamlets {
namespace {

TEST(Headroom, AnswersWhetherTheAddressSpaceHasRoom) {
  EXPECT_TRUE(address_space_free(std::size_t{256} << 20));
  // More than a 64-bit process's address space (2^47 bytes for a program).
  EXPECT_FALSE(address_space_free(std::size_t{1} << 50));
}

}  // namespace
}  // namespace roamlets
