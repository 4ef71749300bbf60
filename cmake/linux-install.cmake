# Linux: install rules, and a Debian package (cpack in the release build,
# checked by tools/check-package.sh). What the package holds is built with ALL.
block()
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME qvactivitymonitor)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Quorvane Activity Monitor maintainers <maintainers@quorvane.example>")
set(QV_COMMAND QVActivityMonitor)
set(in ${PROJECT_SOURCE_DIR}/dist/linux)
set(out ${PROJECT_BINARY_DIR}/dist)

# The theme's PNGs come from the code that draws the window icon.
add_executable(qv-render-icons ${in}/render_icons.cpp)
target_link_libraries(qv-render-icons PRIVATE ui qv_warnings)
set(icons "")
foreach(size IN LISTS QV_ICON_SIZES)
    list(APPEND icons ${out}/icons/${size}x${size}/apps/${QV_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${icons}
    COMMAND qv-render-icons ${out}/icons ${QV_APP_ID} ${QV_ICON_SIZES}
    DEPENDS qv-render-icons
    COMMENT "Rendering the application icon"
    VERBATIM)

# The release's date for the changelog and the AppStream data: the time of
# configuring, or SOURCE_DATE_EPOCH's when set, as reproducible builds want.
string(TIMESTAMP QV_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP QV_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${in}/changelog.in ${out}/changelog @ONLY)
configure_file(${in}/${QV_COMMAND}.1.in ${out}/${QV_COMMAND}.1 @ONLY)
configure_file(${in}/app.desktop.in ${out}/${QV_APP_ID}.desktop @ONLY)
configure_file(${in}/app.metainfo.xml.in ${out}/${QV_APP_ID}.metainfo.xml @ONLY)
set(gzipped "")
foreach(file IN ITEMS changelog ${QV_COMMAND}.1)
    # -n: no name or time stamp inside, so that the same input gives the same bytes.
    add_custom_command(OUTPUT ${out}/${file}.gz
        COMMAND gzip -9nkf ${out}/${file}
        DEPENDS ${out}/${file}
        VERBATIM)
    list(APPEND gzipped ${out}/${file}.gz)
endforeach()
add_custom_target(linux_dist_files ALL DEPENDS ${icons} ${gzipped})

install(TARGETS QVActivityMonitor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${out}/${QV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${out}/${QV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${out}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${out}/${QV_COMMAND}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${in}/copyright ${out}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for a Quorvane mail server's activity logs")
# Lines of the package's long description, wrapped as dpkg shows them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Follows, as they are written, the daily activity and debug logs of the seven"
    "components of a Quorvane mail server that runs under Wine on the same machine,"
    "in one window per component inside one main window, with Pause/Resume, Clear"
    "and a detail box for a whole line. It finds the logs through the server's own"
    "settings in the Wine prefix, and only ever reads there: it writes no file and"
    "no setting, and never hinders the server.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program carries its own translations; Qt's (dialog buttons, key names,
# the command line's usage) are the system's.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
endblock()
