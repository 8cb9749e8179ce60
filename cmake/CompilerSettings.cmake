# Compiler settings shared by every target of the project.
#
# The scene model rounds to single precision exactly where a value is stored,
# so the floating-point code generation is part of the behaviour:
#  - no contraction of a*b+c into a fused multiply-add, which would skip a
#    rounding step;
#  - on 32-bit x86, the x87 unit and nothing newer than a Pentium Pro (the
#    32-bit Windows program runs on processors without SSE, under systems
#    that never enable it). The x87 unit is set to double precision when a
#    program starts (scene/x87_precision.h), and -ffloat-store makes every
#    value stored as float round to float there instead of staying in an
#    80-bit register; the results are then those of double arithmetic
#    rounded once where stored, as on SSE2.
add_library(roamlets_options INTERFACE)
target_compile_options(roamlets_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  -Wnull-dereference -Wformat=2
  -ffp-contract=off)
if(ROAMLETS_WARNINGS_AS_ERRORS)
  target_compile_options(roamlets_options INTERFACE -Werror)
endif()
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  target_compile_options(roamlets_options INTERFACE -march=pentiumpro -mfpmath=387 -ffloat-store)
endif()
if(WIN32)
  # Windows programs link the C and C++ runtimes statically, so they need
  # no runtime DLL beside them.
  target_link_options(roamlets_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
