# What the Windows application needs beside its exe, for the tests under Wine
# (QV_WINEPATH, to put in a test's environment) and for the zip a user unpacks
# on the server (cmake --install, then CPack): Qt's DLLs and the plugins it
# loads, the compiler's runtime that those DLLs link, Qt's translations, Qt's
# licence and a note on where its sources come from.
set(QV_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    cmake_path(NORMAL_PATH path)
    list(APPEND QV_RUNTIME_DLLS "${path}")
endforeach()
# Debian's copies carry their symbols (libstdc++ 23 MB); the zip takes them stripped.
set(QV_STRIPPED_DLLS "")
foreach(path ${QV_RUNTIME_DLLS})
    cmake_path(GET path FILENAME name)
    set(stripped "${CMAKE_BINARY_DIR}/runtime/${name}")
    if("${path}" IS_NEWER_THAN "${stripped}")
        file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/runtime")
        execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded -o "${stripped}" "${path}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
    list(APPEND QV_STRIPPED_DLLS "${stripped}")
endforeach()

# Wine takes Windows paths; its Z: drive is the root of this machine.
set(QV_WINEPATH "")
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
foreach(path ${qt_core_dll} ${QV_RUNTIME_DLLS})
    cmake_path(GET path PARENT_PATH dir)
    string(REPLACE "/" "\\" dir "Z:${dir}")
    list(APPEND QV_WINEPATH "${dir}")
endforeach()
list(REMOVE_DUPLICATES QV_WINEPATH)
list(JOIN QV_WINEPATH "\\;" QV_WINEPATH)

# Qt's catalogues for the program's languages (its own are in the exe), from
# Debian's qt6-translations-l10n on the host: .qm files suit every platform.
# The program looks in translations/ beside the exe: so do the tests under Wine.
set(QV_QT_CATALOGUES "")
foreach(language IN LISTS QV_LANGUAGES)
    find_file(QV_QTBASE_${language} qtbase_${language}.qm REQUIRED NO_CACHE
        HINTS ${QT_HOST_PATH}/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH)
    configure_file(${QV_QTBASE_${language}} translations/qtbase_${language}.qm COPYONLY)
    list(APPEND QV_QT_CATALOGUES ${QV_QTBASE_${language}})
endforeach()

install(TARGETS QVActivityMonitor RUNTIME DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets RUNTIME DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin LIBRARY DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin LIBRARY DESTINATION styles)
install(FILES ${QV_STRIPPED_DLLS} DESTINATION .)
install(FILES ${QV_QT_CATALOGUES} DESTINATION translations)
install(FILES
    "${QV_QT_MINGW}/share/qvactivitymonitor/LGPL-3.0-only.txt"
    "${QV_QT_MINGW}/share/qvactivitymonitor/GPL-3.0-only.txt"
    "${QV_QT_MINGW}/share/qvactivitymonitor/QT-SOURCES.txt"
    DESTINATION licenses/Qt)

set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_NAME QVActivityMonitor)
set(CPACK_PACKAGE_FILE_NAME "QVActivityMonitor-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
include(CPack)
