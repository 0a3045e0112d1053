# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzzing build: a build of its own, configured with clang
# (CC=clang CXX=clang++ cmake -DZYNT_FUZZ=ON), in which every library the
# targets link is built with the fuzzer's coverage and the sanitizers. The
# other builds need no clang; they replay the targets' inputs as tests.
option(ZYNT_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(ZYNT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZYNT_FUZZ needs clang++ with libFuzzer (configure with CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
