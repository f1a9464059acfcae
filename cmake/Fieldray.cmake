# Common compile options and helpers for every target of the project.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers
                    -ffp-contract=off)
if(FIELDRAY_WERROR)
  add_compile_options(-Werror)
endif()
if(FIELDRAY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Sources of a folder (not its tests), found anew whenever a file is added.
function(fr_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# fr_add_tests(NAME label DIRS dir... LIBS lib...)
# One GoogleTest executable from every *.cpp in the given test folders, its
# cases registered in CTest with the area's label. Each case gets a fresh
# temporary machine root so tests never share files, locks or boards.
function(fr_add_tests name)
  cmake_parse_arguments(T "" "LABEL" "DIRS;LIBS" ${ARGN})
  set(srcs)
  foreach(dir IN LISTS T_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND srcs ${found})
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} fr_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT 300)
endfunction()

# A library of the project: versioned soname, installed in the private folder.
function(fr_install_library target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                                             INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${FIELDRAY_PRIVATE_LIBDIR})
endfunction()

# A program of the project: installed in bin, finding the libraries in the private folder.
function(fr_install_program target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${FIELDRAY_PRIVATE_LIBDIR}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
