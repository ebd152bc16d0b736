# SPDX-License-Identifier: GPL-3.0-or-later
# vespalba_cabeceras_publicas(<target> <prefix> <header>...)
#
# Exports only the listed headers of a library: each is linked (a symbolic
# link to the source) into <binary dir>/<target>_publicas/<prefix>/, and that
# folder alone becomes the library's public include path. Includes keep their
# written form ("astro/eventos.h"), but a header of a library that a target
# does not link is not found: folder boundaries are enforced by the build.
function(vespalba_cabeceras_publicas target prefijo)
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_publicas")
    file(REMOVE_RECURSE "${dir}")
    foreach(cabecera IN LISTS ARGN)
        get_filename_component(sub "${prefijo}/${cabecera}" DIRECTORY)
        file(MAKE_DIRECTORY "${dir}/${sub}")
        file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}/${cabecera}"
             "${dir}/${prefijo}/${cabecera}" SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${dir}>")
endfunction()
