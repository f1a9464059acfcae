# The program's folders depend one way: console -> engine -> toolpath -> job.
# A file of a folder may include headers of the folders below it only; an include
# against the arrows stops the build (this file run with -P, ROOT set to the
# source folder, STAMP to the file to touch when all is well). Included, it
# lists the files the check reads.

# Each folder with the folders it must not include.
set(FR_LAYOUT_FORBIDDEN
  "job:engine|toolpath|console"
  "toolpath:engine|console"
  "engine:console")

function(fr_layout_files root out)
  set(files)
  foreach(rule IN LISTS FR_LAYOUT_FORBIDDEN)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${root}/${folder}/*.h ${root}/${folder}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

function(fr_check_layout root)
  set(wrong)
  foreach(rule IN LISTS FR_LAYOUT_FORBIDDEN)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 forbidden)
    file(GLOB_RECURSE found ${root}/${folder}/*.h ${root}/${folder}/*.cpp)
    foreach(f IN LISTS found)
      file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${forbidden})/")
      foreach(hit IN LISTS hits)
        file(RELATIVE_PATH rel ${root} ${f})
        string(STRIP "${hit}" hit)
        list(APPEND wrong "  ${rel}: ${hit}")
      endforeach()
    endforeach()
  endforeach()
  if(wrong)
    list(JOIN wrong "\n" text)
    message(FATAL_ERROR "Includes against the folder order console -> engine -> toolpath -> job:\n${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  fr_check_layout(${ROOT})
  file(TOUCH ${STAMP})
endif()
