# What makes Tarnwick an installed desktop program: manual pages, AppStream metainfo, bash
# completion, the Debian copyright and changelog, and the Debian package CPack builds from them.
# The programs, the .desktop entry and the icons are installed by gui/ and cli/.
include(GNUInstallDirs)

set(tarnwick_dist ${PROJECT_SOURCE_DIR}/dist)
set(tarnwick_dist_out ${PROJECT_BINARY_DIR}/dist)
set(tarnwick_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)
# The date of this version, shown in the manual pages and the metainfo's release.
set(TARNWICK_RELEASE_DATE 2026-12-07)
# The project has no domain or public web address yet. AppStream wants a reverse domain name
# as the id and a web URL for the screenshot, so both stand on the reserved name
# tarnwick.invalid, which never resolves, until the project has a home: then change the id
# once (it should stay the same afterwards) and publish docs/hourly-chart.png at the URL.
set(TARNWICK_APPSTREAM_ID invalid.tarnwick.Tarnwick)
set(TARNWICK_SCREENSHOT_URL "https://tarnwick.invalid/docs/hourly-chart.png"
    CACHE STRING "Web address of the screenshot the AppStream metainfo names")

# Files and folders get the usual modes whatever the umask of the one installing.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

# Manual pages: Markdown turned into roff by go-md2man, then gzipped without a time stamp so
# that two builds give the same bytes. AUTO builds them when go-md2man is found, so a developer
# build does not need it; scripts/package.sh asks for ON.
set(TARNWICK_MANPAGES AUTO CACHE STRING "Build and install the manual pages: ON, OFF or AUTO")
find_program(TARNWICK_GO_MD2MAN go-md2man)
if(TARNWICK_MANPAGES STREQUAL "ON" AND NOT TARNWICK_GO_MD2MAN)
    message(FATAL_ERROR "TARNWICK_MANPAGES is ON but go-md2man was not found (apt-get install go-md2man)")
endif()
if(TARNWICK_GO_MD2MAN AND NOT TARNWICK_MANPAGES STREQUAL "OFF")
    string(REPLACE "-" ";" tarnwick_date_parts ${TARNWICK_RELEASE_DATE})
    list(GET tarnwick_date_parts 0 tarnwick_year)
    list(GET tarnwick_date_parts 1 tarnwick_month_number)
    set(tarnwick_months January February March April May June July August September October
        November December)
    math(EXPR tarnwick_month_index "${tarnwick_month_number} - 1")
    list(GET tarnwick_months ${tarnwick_month_index} tarnwick_month)
    set(TARNWICK_MAN_DATE "${tarnwick_month} ${tarnwick_year}")
    set(tarnwick_pages)
    foreach(page tarnwick tarnwick-batch)
        configure_file(${tarnwick_dist}/${page}.1.md ${tarnwick_dist_out}/${page}.1.md @ONLY)
        add_custom_command(
            OUTPUT ${tarnwick_dist_out}/${page}.1.gz
            COMMAND ${TARNWICK_GO_MD2MAN} -in ${page}.1.md -out ${page}.1
            COMMAND gzip -9nf ${page}.1
            DEPENDS ${tarnwick_dist_out}/${page}.1.md
            WORKING_DIRECTORY ${tarnwick_dist_out}
            COMMENT "Manual page ${page}(1)")
        list(APPEND tarnwick_pages ${tarnwick_dist_out}/${page}.1.gz)
    endforeach()
    add_custom_target(tarnwick_manpages ALL DEPENDS ${tarnwick_pages})
    install(FILES ${tarnwick_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "Manual pages are not built (go-md2man not found or TARNWICK_MANPAGES=OFF)")
endif()

set(tarnwick_metainfo ${tarnwick_dist_out}/${TARNWICK_APPSTREAM_ID}.metainfo.xml)
configure_file(${tarnwick_dist}/tarnwick.metainfo.xml.in ${tarnwick_metainfo} @ONLY)
install(FILES ${tarnwick_metainfo}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${tarnwick_dist}/tarnwick-batch.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tarnwick-batch)
install(FILES ${tarnwick_dist}/copyright DESTINATION ${tarnwick_doc_dir})

# Debian wants its changelog gzipped at the highest level and without a time stamp.
add_custom_command(
    OUTPUT ${tarnwick_dist_out}/changelog.Debian.gz
    COMMAND gzip -9n -c ${tarnwick_dist}/changelog > changelog.Debian.gz
    DEPENDS ${tarnwick_dist}/changelog
    WORKING_DIRECTORY ${tarnwick_dist_out})
add_custom_target(tarnwick_changelog ALL DEPENDS ${tarnwick_dist_out}/changelog.Debian.gz)
install(FILES ${tarnwick_dist_out}/changelog.Debian.gz DESTINATION ${tarnwick_doc_dir})

# The Debian package (scripts/package.sh runs cpack -G DEB).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarnwick maintainers")
set(CPACK_PACKAGE_CONTACT "Tarnwick maintainers <maintainers@users.noreply.c-seed-cb18bd7d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "load EPA EDR quarterly .DAT files into a Sources database")
# No double quotes: CPack writes the text into its configuration unescaped.
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnwick reads U.S. EPA Electronic Data Reporting quarterly report files,
the fixed-column .DAT text files, into a relational Sources database: hourly
emissions into EMISSIONS, and facility, unit, fuel and quarter headers into
FACILITIES, UNITS, FUELS and QUARTERS. The database is a SQLite file or a
PostgreSQL database.

The package holds the window, tarnwick, with an hourly chart and a data
summary, and the headless runner, tarnwick-batch, which loads, exports CSV,
draws charts and summarizes from the command line.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries the binaries link come from dpkg-shlibdeps; the SQL drivers are plugins Qt loads
# at run time, which no binary names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
