# Installation as a desktop program: the programs in bin/, the files they read beside them in
# share/quorvil (io/ProgramFiles.h looks in ../share/quorvil from the program's folder), a desktop
# entry and the application icon; and a Debian package made from the same rules (cpack -G DEB).
include(GNUInstallDirs)
set(QUORVIL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/quorvil)

install(TARGETS quorvil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUORVIL_BESIDE} DESTINATION ${QUORVIL_SHARE_DIR})
install(FILES ${QUORVIL_HELP_FIGURES} DESTINATION ${QUORVIL_SHARE_DIR}/help)
install(FILES ${QUORVIL_ICON_FILES} DESTINATION ${QUORVIL_SHARE_DIR}/icons)
# Report templates stand beside the program under their own names.
if(QUORVIL_TEMPLATES)
  install(FILES ${QUORVIL_TEMPLATES} DESTINATION ${QUORVIL_SHARE_DIR})
endif()

install(FILES ${QUORVIL_ROOT}/packaging/quorvil.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVIL_ROOT}/resources/icons/quorvil.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Debian looks for the licence under the package's own name.
install(FILES ${QUORVIL_ROOT}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvil)

# The command-line program, wherever in the project it is defined: checked once every target is.
function(quorvil_install_command_line)
  if(TARGET quorvil-cli)
    install(TARGETS quorvil-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
cmake_language(DEFER CALL quorvil_install_command_line)

if(PROJECT_IS_TOP_LEVEL)
  set(CPACK_PACKAGE_NAME quorvil)
  set(CPACK_PACKAGE_VENDOR Brenmoor)
  set(CPACK_PACKAGE_CONTACT "Quorvil developers <quorvil@brenmoor.invalid>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "surveying computations for the Chinese national coordinate systems")
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
         "Quorvil is a desktop toolkit of surveying computations in Chinese:\n"
         "Gauss-Kruger projection and zone change, seven-parameter datum transformation,\n"
         "plane similarity transformations, traverse and levelling adjustment with Word\n"
         "reports, polar survey, map sheet numbers, drawing annotation and a power-line\n"
         "profile table. All arithmetic is done in 80-bit extended precision.")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME "quorvil_${PROJECT_VERSION}_amd64")
  set(CPACK_RESOURCE_FILE_LICENSE ${QUORVIL_ROOT}/LICENSE)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvil.invalid")
  # Shared libraries the programs link (Qt 6, libzip, pugixml, dxflib, METIS) come from dpkg-shlibdeps
  # where it is installed; the list below is what it finds on Debian 12. Two packages no library
  # check can see: Qt's Chinese texts, and Qt's SVG plugins that draw the icons and the help's
  # figures.
  find_program(QUORVIL_DPKG_SHLIBDEPS dpkg-shlibdeps)
  set(QUORVIL_DEB_DEPENDS "qt6-translations-l10n, libqt6svg6 (>= 6.4)")
  if(QUORVIL_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    string(APPEND QUORVIL_DEB_DEPENDS ", libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4),"
           " libzip4, libpugixml1v5, libdxflib3, libmetis5, libstdc++6, libc6")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QUORVIL_DEB_DEPENDS}")
  # Chinese glyphs: any CJK font will do.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-arphic-uming")
  include(CPack)
endif()
