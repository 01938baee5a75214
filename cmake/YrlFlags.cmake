# Compiler settings shared by every target.
#
# Product code: no exceptions, no RTTI, no floating-point contraction (results stay
# bit-exact to the written order of operations). The run-time library reinterprets
# memory blocks and handle variables of any pointer type, so aliasing-based
# optimisation is switched off for all product code.
set(YRL_WARNINGS -Wall -Wextra)
if(YRL_WERROR)
  list(APPEND YRL_WARNINGS -Werror)
endif()
set(YRL_PRODUCT_FLAGS -fno-exceptions -fno-rtti -ffp-contract=off -fno-strict-aliasing
    -fvisibility=hidden -fvisibility-inlines-hidden)

if(YRL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz builds (clang): the code under test carries libFuzzer's coverage counters and
# comparison hooks, so that the fuzz targets see which branches an input reaches. In the
# fuzz targets libFuzzer serves the hooks; in every other program of the build the
# sanitizer runtime serves them as no-ops, which is why a fuzz build needs YRL_SANITIZE.
set(YRL_FUZZ_COVERAGE)
if(YRL_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  if(NOT YRL_SANITIZE)
    message(FATAL_ERROR "YRL_BUILD_FUZZ=ON needs YRL_SANITIZE=ON: the programs that are not "
                        "fuzz targets take the coverage hooks of the instrumented code from "
                        "the sanitizer runtime")
  endif()
  set(YRL_FUZZ_COVERAGE -fsanitize=fuzzer-no-link)
endif()

# Marks a target as code that the fuzz targets test (no-op outside fuzz builds).
function(yrl_fuzz_coverage target)
  target_compile_options(${target} PRIVATE ${YRL_FUZZ_COVERAGE})
endfunction()

# Marks a target as product code (part of the plug-in or the launcher).
function(yrl_product_target target)
  target_compile_options(${target} PRIVATE ${YRL_WARNINGS} ${YRL_PRODUCT_FLAGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  yrl_fuzz_coverage(${target})
endfunction()

# Test and benchmark code may use exceptions and RTTI.
function(yrl_test_target target)
  target_compile_options(${target} PRIVATE ${YRL_WARNINGS} -ffp-contract=off -fno-strict-aliasing)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# A static library from every source file under the given folders.
function(yrl_static_library name)
  set(sources)
  foreach(dir IN LISTS ARGN)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${dir_sources})
  endforeach()
  add_library(${name} STATIC ${sources})
  yrl_product_target(${name})
endfunction()
