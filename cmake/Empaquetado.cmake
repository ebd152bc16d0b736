# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules and the Debian package of Vespalba.
#
# `cmake --install <dir> --prefix <p>` lays out:
#   <p>/bin/vespalba, <p>/bin/vespalba-tabla, <p>/bin/vespalba-almanaque
#   <p>/lib/<arch>/vespalba/vespalba-tabla-dibujo.so (vespalba-tabla's drawings, by dlopen)
#   <p>/share/applications/vespalba.desktop        (Exec=vespalba, Icon=vespalba)
#   <p>/share/applications/vespalba-almanaque.desktop (the same for the almanac)
#   <p>/share/metainfo/org.example.vespalba.metainfo.xml,
#   org.example.vespalba-almanaque.metainfo.xml (the two windows' AppStream
#   metadata, which software centres list)
#   <p>/share/icons/hicolor/scalable/apps/vespalba.svg, .../64x64/apps/vespalba.png
#   (and vespalba-almanaque.svg, .png)
#   <p>/share/man/es/man1/vespalba.1.gz, vespalba-tabla.1.gz, vespalba-almanaque.1.gz
#   (Spanish manual pages)
#   <p>/share/doc/vespalba/copyright, changelog.gz (what Debian asks of a package)
#   <p>/share/vespalba/zonas.idx (the time-zone boundaries' index, ODbL-1.0)
#   <p>/share/vespalba/poblados.idx (GeoNames' places of 1,000 people or more, CC-BY-4.0)
# `cpack -G DEB` in the build folder turns the same tree, rooted at /usr, into
# vespalba_<version>_<arch>.deb (scripts/paquete does it all).

include(GNUInstallDirs)

# Debian names a package's documentation folder after the package, in lower case.
set(VESPALBA_DOC_DIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/vespalba")

# Release date of this version: the manual page and the changelog carry it.
# Later than the previous entry of the changelog (1.0.0, the same day at
# 12:00), as Debian asks of a new entry.
set(VESPALBA_FECHA_VERSION "2026-12-10")
set(VESPALBA_FECHA_VERSION_RFC2822 "Thu, 10 Dec 2026 17:00:00 +0000")

install(TARGETS vespalba vespalba-tabla vespalba-almanaque RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vespalba-tabla-dibujo LIBRARY DESTINATION ${VESPALBA_MODULO_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/vespalba.desktop
              ${PROJECT_SOURCE_DIR}/packaging/vespalba-almanaque.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The windows' AppStream metadata: the version and date of the newest
# release filled in, as in the changelog. Their ids are reverse-DNS names
# under the domain of the package's contact address, example.org (AppStream
# warns of any other form); the desktop entries keep their names, which each
# file's launchable gives.
# tests/paquete/metadatos_test.sh validates the filled-in files.
foreach(_id org.example.vespalba org.example.vespalba-almanaque)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${_id}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/packaging/${_id}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${_id}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/calculadora/iconos/vespalba.svg
              ${PROJECT_SOURCE_DIR}/almanaque/iconos/vespalba-almanaque.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/calculadora/iconos/vespalba.png
              ${PROJECT_SOURCE_DIR}/almanaque/iconos/vespalba-almanaque.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)

# The manual pages and the changelog carry the version and the date; they are
# filled in here and compressed with gzip -9n (no name or time stamp inside,
# so the same sources give the same bytes).
set(_paquete_dir ${PROJECT_BINARY_DIR}/packaging)
set(_comprimidos)
foreach(_f vespalba.1 vespalba-tabla.1 vespalba-almanaque.1 changelog)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${_f}.in ${_paquete_dir}/${_f} @ONLY)
    add_custom_command(OUTPUT ${_paquete_dir}/${_f}.gz
        COMMAND gzip -9n -c ${_paquete_dir}/${_f} > ${_paquete_dir}/${_f}.gz
        DEPENDS ${_paquete_dir}/${_f}
        COMMENT "Comprimiendo ${_f}"
        VERBATIM)
    list(APPEND _comprimidos ${_paquete_dir}/${_f}.gz)
endforeach()
add_custom_target(vespalba_documentos ALL DEPENDS ${_comprimidos})

install(FILES ${_paquete_dir}/vespalba.1.gz ${_paquete_dir}/vespalba-tabla.1.gz
              ${_paquete_dir}/vespalba-almanaque.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/es/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_paquete_dir}/changelog.gz
        DESTINATION ${VESPALBA_DOC_DIR})
# The time-zone boundaries' index, where lugares/zona_geo.cpp looks for it
# from the program's folder.
install(FILES ${PROJECT_SOURCE_DIR}/lugares/datos/zonas.idx
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vespalba)
# GeoNames' places of 1,000 people or more, where lugares/poblados.cpp looks
# for them from the program's folder.
install(FILES ${PROJECT_SOURCE_DIR}/lugares/datos/poblados.idx
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vespalba)
# The systemd user units of the README's example, to copy and adapt.
install(FILES ${PROJECT_SOURCE_DIR}/docs/systemd/vespalba-ocaso.service
              ${PROJECT_SOURCE_DIR}/docs/systemd/vespalba-ocaso.timer
        DESTINATION ${VESPALBA_DOC_DIR}/examples)

# --- Debian package --------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vespalba)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Equipo Vespalba")
set(CPACK_PACKAGE_CONTACT "Equipo Vespalba <vespalba@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "orto y ocaso del Sol y de la Luna, aurora y crepúsculos")
set(CPACK_PACKAGE_DESCRIPTION
"Vespalba calcula, para una fecha de 1980 a 2040 y un lugar, en la hora local
de su zona: el orto y el ocaso del Sol y de la Luna, el comienzo de la aurora
y el fin del crepúsculo civil, náutico y astronómico, y las horas de luz.
Trae 40 puertos e islas con sus coordenadas.

El paquete tiene la ventana (vespalba), el almanaque (vespalba-almanaque),
una ventana para cualquier pueblo del mundo en su hora civil con el día y el
mes, y el programa de línea de órdenes vespalba-tabla, que escribe los
mismos resultados para un día, un mes, un año o un intervalo de días como
tabla de texto, CSV, JSON Lines, calendario, páginas o gráfico.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vespalba)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders the package creates: 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vespalba_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Library dependencies (the Qt 6 runtime, the C and C++ libraries) are read
# from the binaries by dpkg-shlibdeps, with the versions they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries, so shlibdeps cannot see them: Qt's own Spanish texts (the
# message box's "Aceptar") and the faces that stand in for MS Sans Serif.
# Read at run time, not linked: the zones of tzdata (America/Coyhaique, one of
# the forty places' zones, first appears in 2025b); the world gazetteer,
# libgeonames0, opened with dlopen by vespalba-tabla (so that dpkg-shlibdeps
# cannot see it), and its Spanish names in libgeonames-common. For
# vespalba-tabla's drawings: Qt's platform plugins (the offscreen one draws
# the letters without a display) and the faces embedded in its PDF pages and
# drawn in its charts, which the window also uses for MS Sans Serif.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "tzdata (>= 2025b), libgeonames0, libgeonames-common, qt6-qpa-plugins, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
