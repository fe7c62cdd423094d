# Shared compile settings and helpers for the subsystem libraries, tests and benchmarks.

add_library(kelvaris_build_options INTERFACE)
target_compile_options(kelvaris_build_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wformat=2 -Wno-format-nonliteral>
  $<$<BOOL:${KELVARIS_WERROR}>:-Werror>)

# Programs link with lld where the compiler can use it: the test programs, with their debug
# information, link several times faster than with the default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX "-fuse-ld=lld" KELVARIS_LINKER_LLD)
if(KELVARIS_LINKER_LLD)
  target_link_options(kelvaris_build_options INTERFACE -fuse-ld=lld)
endif()

# Unity builds (CMAKE_UNITY_BUILD, on in the debug preset) compile a target's sources in batches,
# each batch one translation unit, so the heavy headers nearly every file includes (the test
# framework, the JSON library, glm) are parsed once per batch instead of once per file. In a
# batch a file's anonymous namespace is not the main file's, and gcc then warns of every class
# that uses one (each test of a fixture kept in an anonymous namespace): that warning is off in
# these builds. Files that cannot share a batch are compiled alone (kelvaris_compile_alone).
if(CMAKE_UNITY_BUILD)
  target_compile_options(kelvaris_build_options INTERFACE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-Wno-subobject-linkage>)
endif()

# kelvaris_compile_alone(<reason> <source> ...)
# Keeps the sources out of unity batches; call it in the folder whose target compiles them.
function(kelvaris_compile_alone reason)
  set_source_files_properties(${ARGN} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

if(KELVARIS_SANITIZE)
  set(KELVARIS_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
  target_compile_options(kelvaris_build_options INTERFACE ${KELVARIS_SANITIZER_FLAGS})
  target_link_options(kelvaris_build_options INTERFACE ${KELVARIS_SANITIZER_FLAGS})
endif()

# Fuzz builds instrument every library for libFuzzer's coverage feedback; only the fuzz targets
# link libFuzzer's main (kelvaris_add_fuzz_target).
if(KELVARIS_FUZZ)
  set(KELVARIS_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
  target_compile_options(kelvaris_build_options INTERFACE ${KELVARIS_FUZZ_FLAGS})
  target_link_options(kelvaris_build_options INTERFACE -fsanitize=address,undefined)
endif()

# kelvaris_include_root(<variable> <name> <folder>)
# Headers are named by their folder from the repository root ("engine/decs.h", "platform/os/
# file_path.h"). Each target gets an include root of its own, build/include/<name>, holding a
# folder of that name with a link to each entry of the source folder, so a target sees the
# headers of what it links and nothing else. Subfolders that are libraries of their own (they
# have a CMakeLists.txt: platform/os/ in platform/) are left out: linking platform does not show
# platform/os/. The entries are listed again whenever the folder changes (CONFIGURE_DEPENDS).
function(kelvaris_include_root variable name folder)
  set(root "${PROJECT_BINARY_DIR}/include/${name}")
  set(source "${PROJECT_SOURCE_DIR}/${folder}")
  set(linked "${root}/${folder}")
  if(IS_SYMLINK "${linked}")
    file(REMOVE "${linked}")  # a root from before, linking the whole folder
  endif()
  file(MAKE_DIRECTORY "${linked}")
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS RELATIVE "${source}" "${source}/*")
  set(wanted "")
  foreach(entry IN LISTS entries)
    if(NOT EXISTS "${source}/${entry}/CMakeLists.txt")
      list(APPEND wanted "${entry}")
      if(NOT EXISTS "${linked}/${entry}")
        file(CREATE_LINK "${source}/${entry}" "${linked}/${entry}" SYMBOLIC)
      endif()
    endif()
  endforeach()
  file(GLOB present LIST_DIRECTORIES true RELATIVE "${linked}" "${linked}/*")
  foreach(entry IN LISTS present)
    if(NOT entry IN_LIST wanted)
      file(REMOVE "${linked}/${entry}")
    endif()
  endforeach()
  set(${variable} "${root}" PARENT_SCOPE)
endfunction()

# kelvaris_add_library(<name> SOURCES ... [PUBLIC ...] [PRIVATE ...] [DEPENDS ...])
# One static library per subsystem folder, named kelvaris_<name>, exposing the headers of its
# own folder only (see kelvaris_include_root): an include that points to a library it does not
# link fails to build. PUBLIC: what the library's headers include; PRIVATE: what only its
# sources include. DEPENDS is a synonym of PUBLIC.
function(kelvaris_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PUBLIC;PRIVATE" ${ARGN})
  add_library(kelvaris_${name} STATIC ${ARG_SOURCES})
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  kelvaris_include_root(root ${name} "${folder}")
  target_include_directories(kelvaris_${name} PUBLIC "${root}")
  target_link_libraries(kelvaris_${name}
    PUBLIC kelvaris_build_options ${ARG_DEPENDS} ${ARG_PUBLIC}
    PRIVATE ${ARG_PRIVATE})
endfunction()

# kelvaris_add_test(<name> SOURCES ... [DEPENDS ...] [GL | WINDOW])
# One GoogleTest binary; its cases are registered with CTest one by one. GL tests need an
# OpenGL 4.5 context: they get the label "gl", open one hidden window per binary, and run
# with leak detection on, suppressing only what Mesa, LLVM, X11 and GLFW keep until exit (in
# the sanitizer build they keep every loaded module mapped, so the report can name the
# driver's modules: tests/support/modules_stay_loaded.cpp).
# WINDOW tests open the game's own window (they need a display, so they are labelled "gl" too)
# but no test window of their own. They run one at a time: they share the display's pointer
# and keyboard focus, and a window that loses the focus in a level opens the pause menu.
function(kelvaris_add_test name)
  cmake_parse_arguments(ARG "GL;WINDOW" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kelvaris_build_options ${ARG_DEPENDS}
                        GTest::gtest GTest::gmock)
  set(test_labels unit)
  # The sanitizer must let the crash recorder install its own fatal-signal handlers.
  set(asan_options "allow_user_segv_handler=1")
  # Leaks are checked in every test; GL and window tests suppress only allocations the driver
  # and the window library keep until exit (cmake/lsan_driver.supp).
  set(lsan_options "")
  set(window_lock "")
  if(ARG_GL)
    target_link_libraries(${name} PRIVATE kelvaris_gl_test_support)
    set(test_labels gl)
    set(lsan_options "suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan_driver.supp:print_suppressions=0")
  elseif(ARG_WINDOW)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    set(test_labels gl)
    set(window_lock RESOURCE_LOCK game_window)
    set(lsan_options "suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan_driver.supp:print_suppressions=0")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  if((ARG_GL OR ARG_WINDOW) AND KELVARIS_SANITIZE)
    target_sources(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support/modules_stay_loaded.cpp")
    target_link_options(${name} PRIVATE "LINKER:--export-dynamic-symbol=dlclose")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${test_labels}" ${window_lock}
               ENVIRONMENT "ASAN_OPTIONS=${asan_options};LSAN_OPTIONS=${lsan_options}")
endfunction()

# kelvaris_add_fuzz_target(<name> SOURCES ... [DEPENDS ...])
# One libFuzzer binary, fuzz_<name>, run by scripts/fuzz.sh <name> <seconds>; part of the
# fuzz_targets build target.
function(kelvaris_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE kelvaris_build_options ${ARG_DEPENDS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_targets fuzz_${name})
endfunction()
