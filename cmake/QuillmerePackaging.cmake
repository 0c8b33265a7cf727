# The Linux package: what `cmake --install` puts beside the programs for a desktop (manual pages,
# the documentation folder) and the settings `cpack -G DEB` builds quillmere_<version>_amd64.deb
# with. scripts/package.sh runs it on a Release build configured for the prefix /usr.
include(GNUInstallDirs)

# quillmere_install_gzipped(<file> <destination>): installs <file> compressed as <file>.gz, the
# way Debian keeps manual pages and change logs. gzip -n leaves out the name and the time, so the
# same source gives the same bytes and the package can be rebuilt identically.
function(quillmere_install_gzipped file destination)
    get_filename_component(name "${file}" NAME)
    set(copy "${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name}")
    set(compressed "${copy}.gz")
    add_custom_command(OUTPUT "${compressed}"
        COMMAND ${CMAKE_COMMAND} -E copy "${file}" "${copy}"
        COMMAND gzip -9 -n -f "${copy}"
        DEPENDS "${file}"
        COMMENT "Compressing ${name}"
        VERBATIM)
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS "${compressed}")
    install(FILES "${compressed}" DESTINATION "${destination}")
endfunction()

if(NOT UNIX OR APPLE OR CMAKE_CROSSCOMPILING)
    return()
endif()

set(QUILLMERE_MAINTAINER "Tarnwick Works <sk@tw.test>")
set(QUILLMERE_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}/../packaging")

# The change log's date is the release date in the form Debian's tools read (RFC 5322).
execute_process(COMMAND date -u -R -d "${QUILLMERE_RELEASE_DATE}"
    OUTPUT_VARIABLE QUILLMERE_RELEASE_DATE_RFC5322 OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE date_status)
if(NOT date_status EQUAL 0)
    message(FATAL_ERROR "QUILLMERE_RELEASE_DATE is not a date: ${QUILLMERE_RELEASE_DATE}")
endif()
configure_file("${QUILLMERE_PACKAGING_DIR}/changelog.in" "${CMAKE_BINARY_DIR}/packaging/changelog" @ONLY)

set(QUILLMERE_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/quillmere")
install(FILES "${CMAKE_SOURCE_DIR}/README.md" "${QUILLMERE_PACKAGING_DIR}/copyright"
        DESTINATION "${QUILLMERE_DOCDIR}")
quillmere_install_gzipped("${CMAKE_BINARY_DIR}/packaging/changelog" "${QUILLMERE_DOCDIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR "Tarnwick Works")
set(CPACK_PACKAGE_CONTACT "${QUILLMERE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dated backup copies of the files of a folder")
# Each line becomes one line of the control file's long description; "." alone marks a paragraph.
set(CPACK_PACKAGE_DESCRIPTION [=[Quillmere copies every file of a source folder that matches a file-name
wildcard into a new sub-folder of a destination folder, named after the local
date and time. It checks its inputs first, offers to create a missing
destination and remembers the inputs and its window position for the next
start.
.
The package holds the window program (Qt, Japanese user interface) and
quillmere-backup, the same backup for timers and cron, with systemd user units
for a daily run.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# dpkg-shlibdeps adds the libraries the programs link; what they only load at run time is named
# here: a Qt platform plugin to open a window at all, and a font with Japanese glyphs. The window
# font prefers IPA P Gothic (its widths fit the controls) and falls back to Noto Sans CJK.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
# Qt's own translations give the message boxes' Yes and No buttons the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed through DESTDIR, the install rules see the real prefix (/usr), not the staging
# folder: the systemd unit names the program by the path it has once installed.
set(CPACK_SET_DESTDIR ON)
include(CPack)
