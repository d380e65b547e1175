# Install rules and the Debian package.
include(GNUInstallDirs)

# Installed programs find Qt through the system's library paths; the build-tree
# run path that qt_standard_project_setup() asks for has no place in /usr/bin.
set_target_properties(vornalix PROPERTIES INSTALL_RPATH "")
install(TARGETS vornalix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vornalix-tool)
    set_target_properties(vornalix-tool PROPERTIES INSTALL_RPATH "")
    install(TARGETS vornalix-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_BINARY_DIR}/generated/vornalix-tool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(EXISTS "${CMAKE_SOURCE_DIR}/res/TunerSpec.inf")
    install(FILES res/TunerSpec.inf DESTINATION ${CMAKE_INSTALL_DATADIR}/vornalix)
endif()
# The channel plans with their index, the country list and their sources and licences.
install(FILES ${VORNALIX_PLAN_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/vornalix/plans)
install(FILES data/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/vornalix/plans)
install(FILES ${CMAKE_BINARY_DIR}/generated/vornalix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES res/desktop/io.vornalix.Vornalix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/generated/io.vornalix.Vornalix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/desktop/vornalix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vornalix.xml)

foreach(size 16 32 48 256)
    set(dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size})
    install(FILES res/vornalix-${size}.png DESTINATION ${dir}/apps RENAME vornalix.png)
    foreach(type ccf tsf cft)
        install(FILES res/vornalix-${size}.png DESTINATION ${dir}/mimetypes RENAME application-x-vornalix-${type}.png)
    endforeach()
endforeach()
install(FILES res/vornalix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(type ccf tsf cft)
    install(FILES res/vornalix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
            RENAME application-x-vornalix-${type}.svg)
endforeach()
install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornalix)

set(CPACK_PACKAGE_NAME vornalix)
set(CPACK_PACKAGE_VENDOR "The Vornalix developers")
set(CPACK_PACKAGE_CONTACT "The Vornalix developers <vornalix@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for analog TV channel and tuner tables")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vornalix.invalid/")
# Library dependencies are computed by dpkg-shlibdeps; Qt's platform plugins are
# loaded at run time, so no library link shows them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Editor for analog TV channel and tuner tables
 Vornalix edits per-country channel frequency tables (.ccf), converts old
 channel tables (.cft) and edits the band tables of tuner models (.tsf) against a
 tuner catalogue. The package also holds vornalix-tool, the command-line
 companion for batch conversion, diffs and checks.")
include(CPack)
