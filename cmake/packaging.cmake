# Installation in the usual FHS places, the man pages and the Debian package.
#   cmake --install build --prefix /usr     scripts/package.sh (CPack, DEB)
include(GNUInstallDirs)

set(HVC_APP_ID example.oltrava.HvcConfigurator)
foreach(program hvc-configurator hvcctl hvc-sim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# res/ as the build lays it out beside the programs (with the painted pictures),
# without what a run from the build folder may have left there.
install(DIRECTORY ${HVC_BIN_DIR}/res/ DESTINATION ${CMAKE_INSTALL_DATADIR}/hvc-configurator/res
        PATTERN colour.ini EXCLUDE)

if(TARGET hvc-configurator)
    install(FILES ${HVC_BIN_DIR}/HVCMANUAL.pdf DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES packaging/${HVC_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    string(TIMESTAMP HVC_RELEASE_DATE "%Y-%m-%d" UTC)
    configure_file(packaging/${HVC_APP_ID}.metainfo.xml
                   ${CMAKE_BINARY_DIR}/packaging/${HVC_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${HVC_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES packaging/${HVC_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    # The artwork tool's painted icon, for desktops that want a bitmap.
    install(FILES ${HVC_BIN_DIR}/res/ico/hvc.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
            RENAME ${HVC_APP_ID}.png)
endif()

# Man pages from the programs' own --help and --version.
find_program(HELP2MAN help2man)
if(HELP2MAN)
    set(HVC_MAN_PAGES)
    foreach(entry "hvcctl|command-line tool for the valve-bank control unit"
                  "hvc-sim|simulated valve-bank control unit on a pseudo-terminal")
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 summary)
        if(NOT TARGET ${program})
            continue()
        endif()
        set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
        add_custom_command(OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
                    --name=${summary} --output=${CMAKE_BINARY_DIR}/man/${program}.1
                    $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${program}.1
            DEPENDS ${program} hvc_res
            COMMENT "Writing the man page of ${program}")
        list(APPEND HVC_MAN_PAGES ${page})
    endforeach()
    add_custom_target(hvc_man ALL DEPENDS ${HVC_MAN_PAGES})
    install(FILES ${HVC_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man not found: no man pages (scripts/setup.sh installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hvc-configurator)
set(CPACK_PACKAGE_VENDOR Oltrava)
set(CPACK_PACKAGE_CONTACT "Oltrava service <service@oltrava.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configurator for the control unit of a hydraulic proportional valve bank")
set(CPACK_PACKAGE_DESCRIPTION
    "hvc-configurator (desktop program), hvcctl (command line) and hvc-sim (simulated unit).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.oltrava.example/)
# The Qt libraries come from the programs' own links (hvcctl's Qt Gui, for the
# service report, brings the offscreen platform plugin); the platform plugins and
# the logbook's database drivers are loaded at run time, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "evince | okular | qpdfview | pdf-viewer, xdg-utils, libqt6sql6-psql")
include(CPack)
