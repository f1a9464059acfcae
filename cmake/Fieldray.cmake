# Common compile options and helpers for every target of the project.

add_compile_options(-Wall -Wextra -Wpedantic -Wno-missing-field-initializers -ffp-contract=off)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wshadow=local)
endif()
if(FIELDRAY_WERROR)
  add_compile_options(-Werror)
endif()
if(FIELDRAY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(FIELDRAY_FUZZ)
  # Every library instrumented for coverage; the fuzz targets link the driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
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

# fr_install_pkg_config(name): installs NAME.pc, made from NAME.pc.in beside the
# calling CMakeLists.txt. Relocatable: the prefix is found from the file's own folder.
function(fr_install_pkg_config name)
  file(RELATIVE_PATH FIELDRAY_PC_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
  string(REGEX REPLACE "/$" "" FIELDRAY_PC_PREFIX "${FIELDRAY_PC_PREFIX}")
  configure_file(${name}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# A program of the project: installed in bin, finding the libraries in the private
# folder; it answers --version with the project's version.
function(fr_install_program target)
  target_compile_definitions(${target} PRIVATE FIELDRAY_VERSION="${PROJECT_VERSION}")
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${FIELDRAY_PRIVATE_LIBDIR}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# The code of a library that exports its interface only: compiled position
# independent with every symbol hidden unless the interface marks it.
function(fr_hidden_objects target)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON
                                             C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# The interface names a header lists, one quoted name a line ("Name",).
function(fr_interface_names out header)
  file(STRINGS ${header} lines REGEX "^ *\"[A-Za-z_][A-Za-z0-9_]*\",")
  set(names)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^ *\"([A-Za-z0-9_]+)\",.*" "\\1" name "${line}")
    list(APPEND names ${name})
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# fr_export_only(target name...): the library's dynamic symbols are these names.
# Hidden visibility leaves the instantiations of the standard library's own
# templates exported; the linker's version script keeps them local too.
function(fr_export_only target)
  list(JOIN ARGN ";\n    " names)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(WRITE ${map} "{\n  global:\n    ${names};\n  local: *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
endfunction()

# fr_export_test(NAME LIBRARY target LABEL label NAMES name...)
# A test that the dynamic symbols the built library defines (nm -D
# --defined-only) are its interface names exactly.
function(fr_export_test name)
  cmake_parse_arguments(E "" "LIBRARY;LABEL" "NAMES" ${ARGN})
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIBRARY=$<TARGET_FILE:${E_LIBRARY}> "-DNAMES=${E_NAMES}"
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckExports.cmake)
  set_tests_properties(${name} PROPERTIES LABELS ${E_LABEL} TIMEOUT 60)
endfunction()
