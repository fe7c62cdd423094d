# Every dependency comes from a Debian 12 package (scripts/install-deps.sh installs them).

find_package(PkgConfig REQUIRED)
find_package(glm REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(glfw3 3.3 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(Threads REQUIRED)
find_package(Freetype REQUIRED)

if(KELVARIS_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(KELVARIS_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()

# The OpenGL loader is generated at build time by Debian's glad 2 (python3-glad).
find_program(GLAD_GENERATOR glad PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(GLAD_OUTPUT_DIR "${PROJECT_BINARY_DIR}/glad")
add_custom_command(
  OUTPUT "${GLAD_OUTPUT_DIR}/src/gl.c" "${GLAD_OUTPUT_DIR}/include/glad/gl.h"
         "${GLAD_OUTPUT_DIR}/include/KHR/khrplatform.h"
  COMMAND "${GLAD_GENERATOR}" --quiet --reproducible --api gl:core=4.5 --extensions=
          --out-path "${GLAD_OUTPUT_DIR}" c --loader
  COMMENT "Generating the OpenGL 4.5 core loader with glad"
  VERBATIM)
add_library(kelvaris_glad STATIC "${GLAD_OUTPUT_DIR}/src/gl.c")
target_include_directories(kelvaris_glad SYSTEM PUBLIC "${GLAD_OUTPUT_DIR}/include")
target_link_libraries(kelvaris_glad PUBLIC ${CMAKE_DL_LIBS})
if(KELVARIS_SANITIZE)
  target_link_libraries(kelvaris_glad PRIVATE kelvaris_build_options)
endif()
