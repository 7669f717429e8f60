# What a Debian system expects beside the programs (compressed manuals, the
# copyright file and the changelog), and the package itself:
#   cpack -G DEB        in the build folder writes varnel_<version>_amd64.deb
# docs/packaging.md tells what lintian says about it and why.

set(VARNEL_MAINTAINER "Varnel maintainers <maintainers@varnel.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

# Debian compresses manuals and changelogs with gzip -9n: no name, no time,
# so the same sources give the same bytes.
set(packagingDir ${CMAKE_BINARY_DIR}/packaging)
set(gzipped)
foreach(page varnel.1 varnel-cli.1)
    add_custom_command(OUTPUT ${packagingDir}/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/${page} ${packagingDir}/${page}
        COMMAND gzip -9nf ${packagingDir}/${page}
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page} VERBATIM)
    list(APPEND gzipped ${packagingDir}/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${packagingDir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUT=${packagingDir}/changelog
            "-DMAINTAINER=${VARNEL_MAINTAINER}" -DPACKAGE=varnel
            -P ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake
    COMMAND gzip -9nf ${packagingDir}/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake VERBATIM)
list(APPEND gzipped ${packagingDir}/changelog.gz)
add_custom_target(varnel-packaging-files ALL DEPENDS ${gzipped})

install(FILES ${packagingDir}/varnel.1.gz ${packagingDir}/varnel-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${packagingDir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varnel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert SHX shape fonts into FNT vector fonts")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARNEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnel converts compiled SHX shape fonts (plain shape fonts, unifonts and big
fonts with two-byte East Asian codes) into FNT vector fonts, glyph by glyph:
every shape becomes the same lines, polylines and arcs in the FNT file.
.
The package holds the converter dialog, varnel, in fifteen languages, and the
command-line program varnel-cli, which also converts whole folders, inspects
SHX and FNT fonts, and draws glyph sheets as PNG or SVG.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)
