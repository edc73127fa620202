# Installing: `cmake --install` puts the program, its desktop entry, icons, AppStream
# metadata, manual page and README under the prefix; `cpack -G DEB` in the build folder
# makes the Debian package tarvik_<version>_<arch>.deb from the same rules. An installed
# copy knows itself by this layout (src/toolkit/InstalledLayout): the executable in bin/,
# the desktop entry in share/applications/, the README in share/doc/tarvik/.
set(TARVIK_APP_ID org.tarvik.Tarvik)
set(TARVIK_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(TARVIK_PICTURES ${PROJECT_SOURCE_DIR}/src/about/pictures)
set(TARVIK_DOCDIR share/doc/tarvik)
# Folders the install makes are readable by everyone, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS Quenlor RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${TARVIK_PACKAGING}/copyright
        DESTINATION ${TARVIK_DOCDIR})

if(NOT WIN32)
    install(FILES ${TARVIK_PACKAGING}/${TARVIK_APP_ID}.desktop DESTINATION share/applications)
    install(FILES ${TARVIK_PACKAGING}/${TARVIK_APP_ID}.metainfo.xml DESTINATION share/metainfo)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES ${TARVIK_PICTURES}/icon${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${TARVIK_APP_ID}.png)
    endforeach()
    install(FILES ${TARVIK_PICTURES}/icon.svg
            DESTINATION share/icons/hicolor/scalable/apps RENAME ${TARVIK_APP_ID}.svg)

    # The changelog and the manual page go compressed, as Debian keeps them.
    find_program(GZIP gzip REQUIRED)
    set(compressed)
    foreach(file changelog Quenlor.1)
        set(output ${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}.gz)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
            COMMAND ${GZIP} -9n -c ${TARVIK_PACKAGING}/${file} > ${output}
            DEPENDS ${TARVIK_PACKAGING}/${file} VERBATIM)
        list(APPEND compressed ${output})
    endforeach()
    add_custom_target(packaging_files ALL DEPENDS ${compressed})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${TARVIK_DOCDIR})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/Quenlor.1.gz DESTINATION share/man/man1)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
    "Tarvik maintainers <maintainers@users.noreply.c-seed-5fb13afd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "task list with reminders")
# Lines of at most 80 characters, as Debian's description field wants them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Tarvik keeps tasks (a title, a date, a description, a done flag and an\n"
       "optional reminder to the minute) in a list coloured by state, and reminds\n"
       "of them from the notification area. The user interface is in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executable links are found by dpkg-shlibdeps; these are what it needs
# at run time that no link shows: the face that stands in for "Comic Sans MS", Qt's Russian
# texts and Qt's platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-paratype, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
