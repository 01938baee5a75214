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

# Marks a target as product code (part of the plug-in or the launcher).
function(yrl_product_target target)
  target_compile_options(${target} PRIVATE ${YRL_WARNINGS} ${YRL_PRODUCT_FLAGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
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
