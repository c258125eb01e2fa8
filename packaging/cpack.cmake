# The Debian package varsik_<version>_<arch>.deb (cpack -G DEB in a build configured with
# CMAKE_INSTALL_PREFIX=/usr; scripts/package.sh does it all): the programs, the desktop
# entry, the icon, the metainfo, the man pages, the completion and the translations,
# with the package's own documents that Debian asks for.
set(VARSIK_MAINTAINER "Varsik developers <maintainers@users.noreply.c-seed-71a81219.example>")

# Debian's documents of the package: the copyright and the changelog, compressed.
string(TIMESTAMP VARSIK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog
               @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9nf -k ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_target(varsik_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
set(doc_folder ${CMAKE_INSTALL_DATAROOTDIR}/doc/varsik)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${doc_folder})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varsik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varsik developers")
set(CPACK_PACKAGE_CONTACT ${VARSIK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARSIK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Where the programs were built to find their catalogues and settings: /usr for Debian.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The synopsis, then the long description in English and in Japanese (a line of "."
# separates paragraphs).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file search and grep for Japanese text in any of its encodings")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Varsik searches the files in and under a folder whose names match a list of
masks for a word, reading each in its own encoding (Shift JIS, UTF-8, EUC-JP,
UTF-16 or ISO-2022-JP, decided from the whole file), and lists every hit as a
tag-jump line, from which an editor opens the file at that line. Plain search
can fold letter case and half-width katakana; regular expressions run on its
own engine for double-byte text. varsik-grep runs the same search for scripts.
.
日本語テキストのためのファイル検索・Grep ツールです。フォルダーとその
サブフォルダーの、名前がマスクに合うファイルを、それぞれファイル
全体から判別した文字コード (Shift JIS、UTF-8、EUC-JP、UTF-16、JIS)
で読んで語を探し、見つかった行をタグジャンプ形式で一覧にします。その行から
エディタでファイルを開けます。varsik-grep でスクリプトから同じ検索が
できます。")
include(CPack)
