# The codec libraries of the Windows build, as imported static libraries under the names
# the Linux build gets from pkg-config: PkgConfig::OGG, PkgConfig::VORBISFILE,
# PkgConfig::THEORADEC.
#
# QNV_WINDOWS_DEPS_PREFIX holds include/ and lib/ with ogg, vorbis, vorbisfile and
# theoradec. With mingw-w64 it defaults to a prefix in the build tree, which
# build-windows-deps.sh fills from Debian's source packages the first time (and reuses
# after that). MSVC builds point it at their own build of the same libraries.

if(MSVC)
  set(QNV_WINDOWS_DEPS_PREFIX "" CACHE PATH "Prefix holding ogg, vorbis, vorbisfile, theoradec")
  if(NOT QNV_WINDOWS_DEPS_PREFIX)
    message(FATAL_ERROR "Set QNV_WINDOWS_DEPS_PREFIX to a prefix with include/ and lib/ "
                        "holding ogg, vorbis, vorbisfile and theoradec (see docs/windows.md)")
  endif()
else()
  set(QNV_WINDOWS_DEPS_PREFIX "${CMAKE_BINARY_DIR}/deps" CACHE PATH
      "Prefix holding ogg, vorbis, vorbisfile, theoradec; built from Debian sources when empty")
  string(REGEX REPLACE "-gcc.*$" "" qnv_cross_host "${CMAKE_C_COMPILER}")
  get_filename_component(qnv_cross_host "${qnv_cross_host}" NAME)
  execute_process(
    COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/build-windows-deps.sh" "${QNV_WINDOWS_DEPS_PREFIX}"
            "${qnv_cross_host}"
    RESULT_VARIABLE qnv_deps_result)
  if(NOT qnv_deps_result EQUAL 0)
    message(FATAL_ERROR "Building the Windows codec libraries failed (${qnv_deps_result})")
  endif()
endif()

# Imports one library of the prefix under `target`, with the libraries it needs after it.
function(qnv_import_windows_dep target name)
  find_library(QNV_DEP_${name} NAMES ${name} lib${name} PATHS "${QNV_WINDOWS_DEPS_PREFIX}/lib"
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION "${QNV_DEP_${name}}"
    INTERFACE_INCLUDE_DIRECTORIES "${QNV_WINDOWS_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

qnv_import_windows_dep(PkgConfig::OGG ogg)
qnv_import_windows_dep(qnv_dep_vorbis vorbis PkgConfig::OGG)
qnv_import_windows_dep(PkgConfig::VORBISFILE vorbisfile qnv_dep_vorbis)
qnv_import_windows_dep(PkgConfig::THEORADEC theoradec PkgConfig::OGG)
