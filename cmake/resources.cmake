# Resource-only PE libraries built from resource scripts (.rc): each script goes through the C
# preprocessor (so it can include headers of ids and use #define), llvm-rc compiles it to a .res,
# and lld-link links all of them into an x64 DLL without code and without an entry point.
find_program(PALVEX_LLVM_RC NAMES llvm-rc llvm-rc-14 REQUIRED)
find_program(PALVEX_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)

# palvex_resource_dll(<target> OUTPUT <file.dll> SOURCES <script.rc>...
#                     [INCLUDE_DIRS <dir>...] [DEFINES <NAME[=value]>...] [DEPENDS <file>...])
#
# Scripts are UTF-8 text. A script's own folder is searched first for its includes and for the
# files it names (bitmaps, icons). <target> is a custom target that builds the DLL; the DLL's path
# is also its PALVEX_RESOURCE_DLL property. Relative paths are taken from the current source folder
# (SOURCES, INCLUDE_DIRS, DEPENDS) and the current binary folder (OUTPUT).
function(palvex_resource_dll target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT" "SOURCES;INCLUDE_DIRS;DEFINES;DEPENDS")
  if(NOT arg_OUTPUT OR NOT arg_SOURCES)
    message(FATAL_ERROR "palvex_resource_dll(${target}): OUTPUT and SOURCES are required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "palvex_resource_dll(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()

  cmake_path(ABSOLUTE_PATH arg_OUTPUT BASE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} NORMALIZE OUTPUT_VARIABLE output)
  cmake_path(GET output PARENT_PATH output_dir)
  set(work_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.res.d)

  set(preprocess_flags -E -P -undef -x c -DRC_INVOKED)
  set(rc_flags /no-preprocess /c 65001)
  foreach(dir IN LISTS arg_INCLUDE_DIRS)
    cmake_path(ABSOLUTE_PATH dir BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    list(APPEND preprocess_flags -I${dir})
    list(APPEND rc_flags /I ${dir})
  endforeach()
  foreach(definition IN LISTS arg_DEFINES)
    list(APPEND preprocess_flags -D${definition})
  endforeach()
  set(depends)
  foreach(file IN LISTS arg_DEPENDS)
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    list(APPEND depends ${file})
  endforeach()

  set(res_files)
  set(index 0)
  foreach(source IN LISTS arg_SOURCES)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    cmake_path(GET source PARENT_PATH source_dir)
    cmake_path(GET source STEM stem)
    math(EXPR index "${index} + 1")
    set(preprocessed ${work_dir}/${index}_${stem}.rc)
    set(res ${work_dir}/${index}_${stem}.res)
    add_custom_command(
      OUTPUT ${res}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${work_dir}
      COMMAND ${CMAKE_C_COMPILER} ${preprocess_flags} -MD -MF ${res}.dep -MT ${res} -o ${preprocessed} ${source}
      COMMAND ${PALVEX_LLVM_RC} ${rc_flags} /I ${source_dir} /fo ${res} -- ${preprocessed}
      MAIN_DEPENDENCY ${source}
      DEPENDS ${depends}
      DEPFILE ${res}.dep
      WORKING_DIRECTORY ${source_dir}
      COMMENT "Compiling resource script ${source}"
      VERBATIM)
    list(APPEND res_files ${res})
  endforeach()

  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND ${PALVEX_LLD_LINK} /nologo /dll /noentry /machine:x64 /Brepro /out:${output} ${res_files}
    DEPENDS ${res_files}
    COMMENT "Linking resource library ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
  set_target_properties(${target} PROPERTIES PALVEX_RESOURCE_DLL ${output})
endfunction()

# palvex_link_resources(<library> <resource dll target>)
#
# Links the resource library's bytes into a shared library as its own resources: the library's
# module handle then answers FindResourceExW and LoadStringW as a DLL's does (the platform's
# palvex/library_entry.h). The bytes become the hidden symbols PalvexResourceImage and
# PalvexResourceImageSize of a generated source added to <library>.
function(palvex_link_resources library resource_target)
  get_target_property(dll ${resource_target} PALVEX_RESOURCE_DLL)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${library}_resource_image.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${dll} -DOUTPUT=${source} -P ${PALVEX_RESOURCE_IMAGE_SCRIPT}
    DEPENDS ${dll} ${resource_target} ${PALVEX_RESOURCE_IMAGE_SCRIPT}
    COMMENT "Linking the resources of ${dll} into ${library}"
    VERBATIM)
  target_sources(${library} PRIVATE ${source})
endfunction()
set(PALVEX_RESOURCE_IMAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/resource_image_source.cmake)
