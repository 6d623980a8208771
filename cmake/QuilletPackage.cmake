# Installation and the Debian package (scripts/package.sh: a build configured
# with -DCMAKE_INSTALL_PREFIX=/usr, then cpack).  Everything a user runs comes
# with the windows, so a build without them installs nothing.
if(NOT QUILLET_WITH_GUI)
  return()
endif()

set(quillet_programs quillet quillet-handheld quillet-hotsync quillet-viewer quillet-organizer quillet-regsvr)
set(quillet_libdir ${CMAKE_INSTALL_LIBDIR}/quillet)
set(quillet_datadir ${CMAKE_INSTALL_DATADIR}/quillet)

install(TARGETS ${quillet_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The conduit (with its help file beside it), the extension and the
# organizer's extension manager are loaded at run time, never linked: they go
# to a folder of their own, where the programs look for them.
install(TARGETS QuilletC QuilletExt QuilletHostManager LIBRARY DESTINATION ${quillet_libdir})
install(FILES resources/conduit/hotsyncd.hlp DESTINATION ${quillet_libdir})
# The extension's help page and the organizer's bitmaps: "InstallPath".
install(FILES resources/extension/QuilletExt.html resources/extension/QuilletExt32.bmp
              resources/extension/QuilletExt16.bmp
        DESTINATION ${quillet_datadir})
install(FILES packaging/quillet-organizer.desktop packaging/quillet-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/quillet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES packaging/quillet-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillet.png)
endforeach()

# Manual pages and bash completion, made from the programs' --help by
# scripts/manpages.py, so that they always say what --help says.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(quillet_program_files)
foreach(program ${quillet_programs})
  list(APPEND quillet_program_files $<TARGET_FILE:${program}>)
endforeach()
set(quillet_man_dir ${PROJECT_BINARY_DIR}/man)
add_custom_command(OUTPUT ${quillet_man_dir}/man1/quillet.1.gz
                   COMMAND ${CMAKE_COMMAND} -E rm -rf ${quillet_man_dir}
                   COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/manpages.py --gzip
                           --version ${PROJECT_VERSION} ${quillet_man_dir} ${quillet_program_files}
                   DEPENDS ${quillet_programs} ${PROJECT_SOURCE_DIR}/scripts/manpages.py
                   COMMENT "Writing the manual pages and bash completion from --help"
                   VERBATIM)
add_custom_target(quillet_manpages ALL DEPENDS ${quillet_man_dir}/man1/quillet.1.gz)
install(DIRECTORY ${quillet_man_dir}/man1 DESTINATION ${CMAKE_INSTALL_MANDIR})
install(DIRECTORY ${quillet_man_dir}/bash-completion/ DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brindle Works")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "secret memos of a handheld on the desktop: organizer, viewer and HotSync")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "secret memos of a handheld on the desktop: organizer, viewer and HotSync\n"
    " Quillet keeps short memos in categories on a handheld, optionally protected\n"
    " by a password under which every memo is encrypted.  This package holds the\n"
    " desktop half: the organizer and its Quillet extension to show, edit and\n"
    " protect the memos, a memo viewer, the HotSync Manager with the Quillet\n"
    " conduit, a simulated handheld, and the quillet command-line tool.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillet developers <quillet@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link are found by dpkg-shlibdeps; the fonts for
# the Japanese texts of the windows are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
