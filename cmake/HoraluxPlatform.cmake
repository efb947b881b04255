# The one place where the platform is chosen, and how each folder becomes a library.
#
# Platform code lives in files named after their platform: `*_posix.*` on Linux,
# `*_win32.*` on Windows (the tests of such a file: `*_posix_test.cpp`, `*_win32_test.cpp`).
# Folders list all their files; horalux_platform_sources leaves out those of the other
# platform, here and nowhere else. No source file tests the platform with #ifdef.
#
# Each folder is one library that sees only its own headers and those of the libraries it
# links: the project root is on no include path, so a lower layer that includes a higher
# one does not build.

# The front end is chosen here too: the window and the desktop components are a folder of
# their own per toolkit, app/qt and desktop/qt (Qt 6 Widgets, Linux) or app/win32 and
# desktop/win32 (Win32, Windows).
if(WIN32)
  set(HORALUX_PLATFORM win32)
  set(HORALUX_OTHER_PLATFORM posix)
  set(HORALUX_FRONT_END win32)
  # windows.h belongs in *_win32.* files only; even there it must not make min and max
  # macros, nor pull in the many headers that define more of them.
  add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
else()
  set(HORALUX_PLATFORM posix)
  set(HORALUX_OTHER_PLATFORM win32)
  set(HORALUX_FRONT_END qt)
endif()

# Sets <var> to the files among the rest of the arguments that build on this platform.
function(horalux_platform_sources var)
  set(kept "")
  foreach(file IN LISTS ARGN)
    get_filename_component(stem "${file}" NAME_WE)
    if(NOT stem MATCHES "_${HORALUX_OTHER_PLATFORM}(_test)?$")
      list(APPEND kept "${file}")
    endif()
  endforeach()
  set(${var} "${kept}" PARENT_SCOPE)
endfunction()

# Gives <target> the include root of one source folder (a path below the project root,
# such as `stack` or `tests/support`): a folder in the build tree that holds, under the
# source folder's name, a link to each of its headers and to nothing else, so that
# "stack/x.h" resolves for the target and for what links it, and no other folder of the
# tree does, not even one below it (app/qt is not part of app).
function(horalux_expose_folder target folder)
  string(REPLACE "/" "_" rootName "${folder}")
  set(root "${PROJECT_BINARY_DIR}/include/${rootName}")
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE "${PROJECT_SOURCE_DIR}/${folder}"
       "${PROJECT_SOURCE_DIR}/${folder}/*.h")
  # Build trees from before linked whole folders: a link written through such a folder link
  # would replace the source header itself. Those folder links go first.
  set(path "${root}")
  string(REPLACE "/" ";" parts "${folder}")
  foreach(part IN LISTS parts)
    set(path "${path}/${part}")
    if(IS_SYMLINK "${path}")
      file(REMOVE "${path}")
    endif()
  endforeach()
  file(MAKE_DIRECTORY "${root}/${folder}")
  file(REAL_PATH "${root}/${folder}" linkFolder)
  file(REAL_PATH "${PROJECT_SOURCE_DIR}/${folder}" sourceFolder)
  if(linkFolder STREQUAL sourceFolder)
    message(FATAL_ERROR "${root}/${folder} leads into the sources; remove ${PROJECT_BINARY_DIR}")
  endif()
  foreach(header IN LISTS headers)
    set(link "${root}/${folder}/${header}")
    if(NOT IS_SYMLINK "${link}")
      file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}/${header}" "${link}" SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC "${root}")
endfunction()

# horalux_add_library(<name> SOURCES ... [LINKS ...] [FOLDER <folder>])
# A static library of one folder (by default the folder of the calling CMakeLists.txt)
# from the sources of this platform, exposing that folder and linking PUBLIC what it uses.
function(horalux_add_library name)
  cmake_parse_arguments(L "" "FOLDER" "SOURCES;LINKS" ${ARGN})
  if(NOT L_FOLDER)
    file(RELATIVE_PATH L_FOLDER "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  horalux_platform_sources(sources ${L_SOURCES})
  add_library(${name} STATIC ${sources})
  horalux_expose_folder(${name} "${L_FOLDER}")
  target_link_libraries(${name} PUBLIC ${L_LINKS})
endfunction()

# Every target of <dir> and of the folders below it.
function(_horalux_targets_below dir var)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    _horalux_targets_below("${subdir}" below)
    list(APPEND targets ${below})
  endforeach()
  set(${var} "${targets}" PARENT_SCOPE)
endfunction()

# A Windows build must not contain POSIX code, however it got into a target: winpthreads
# implements clock_settime with SetSystemTime, so a Windows program built with the POSIX
# clock setter would really set the clock. Runs once the whole tree is configured.
function(horalux_refuse_other_platform_files)
  if(NOT WIN32)
    return()
  endif()
  _horalux_targets_below("${PROJECT_SOURCE_DIR}" targets)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    get_target_property(interfaceSources ${target} INTERFACE_SOURCES)
    foreach(file IN LISTS sources interfaceSources)
      get_filename_component(name "${file}" NAME)
      if(name MATCHES "(^|_)posix([._]|$)")
        message(FATAL_ERROR
          "${target} contains ${file}: POSIX code must not be built for Windows.")
      endif()
    endforeach()
  endforeach()
endfunction()

cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL horalux_refuse_other_platform_files)
