# `cmake --install` lays out bin/, the man pages and the editor hookups;
# `make package` turns the same layout into a Debian package with CPack.
include(GNUInstallDirs)

install(TARGETS tovel-lsp tovel-check tovel-fmt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/lsp/tovel-lsp.1 ${PROJECT_SOURCE_DIR}/cli/tovel-check.1
  ${PROJECT_SOURCE_DIR}/cli/tovel-fmt.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(tovel_share ${CMAKE_INSTALL_DATADIR}/tovel)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/editors/nvim ${PROJECT_SOURCE_DIR}/editors/helix
  ${PROJECT_SOURCE_DIR}/editors/emacs DESTINATION ${tovel_share})
# The extension's sources, ready for `npm ci && npm run package`; what npm
# and the compiler leave in the work tree stays out.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/editors/vscode DESTINATION ${tovel_share}
  PATTERN node_modules EXCLUDE
  PATTERN out EXCLUDE
  PATTERN test EXCLUDE
  PATTERN "*.vsix" EXCLUDE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovel-lsp)
set(CPACK_PACKAGE_VENDOR "tovel-lsp developers")
set(CPACK_PACKAGE_CONTACT "tovel-lsp developers <tovel-lsp@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "language server and command-line checker for Tovel")
set(CPACK_PACKAGE_DESCRIPTION
  "tovel-lsp checks Tovel programs as you type and publishes diagnostics over the Language Server Protocol; tovel-check runs the same checks on files. Editor hookups for Neovim, Emacs, Helix and VS Code are in /usr/share/tovel.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
find_program(TOVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TOVEL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcjson1, libstdc++6, libc6")
endif()
include(CPack)
