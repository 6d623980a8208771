# Where an installed Quillet keeps its files (the Debian package installs to
# /usr): programs in bin, the conduit, the extension and the organizer's
# extension manager in a folder of the library folder, the extension's help
# page and bitmaps in a folder of the data folder.  The programs that look for
# these files after installation have the folders compiled in.
include(GNUInstallDirs)
set(QUILLET_INSTALL_LIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}/quillet")
set(QUILLET_INSTALL_DATADIR "${CMAKE_INSTALL_FULL_DATADIR}/quillet")
