# The Debian package, made with cpack from the install rules (scripts/package). Configure with
# CMAKE_INSTALL_PREFIX=/usr: the manual pages name the data's installed place.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zefra)
set(CPACK_PACKAGE_VENDOR "Quorvel Software Company")
set(CPACK_PACKAGE_CONTACT "Zefra developers <zefra@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Romanesh to Persian script, while you type")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zefra turns Romanesh, Persian written in Latin letters the way people type it\n"
    "in chat and mail, into Persian script while you type, with letter rules, a user\n"
    "dictionary and smart spelling from Persian word lists. The output can be saved,\n"
    "copied or sent into another program's text box. zefra-convert converts whole\n"
    "files and pipes with the same engine.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZEFRA_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs load, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Smart spelling reads aspell-fa through aspell; the Persian face comes from the Noto fonts; the
# input method runs under ibus-daemon.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "aspell-fa, fonts-noto-core, ibus")
set(CPACK_STRIP_FILES ON)
include(CPack)
