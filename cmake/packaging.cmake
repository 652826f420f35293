# The release: a ZIP archive to unzip anywhere and, for the shipped 32-bit program, an installer
# (CPack's NSIS generator, Debian's nsis). Both hold the program, avrdude.exe and avrdude.conf
# beside it, a README.txt that says what each file is, the program's licence, avrdude's licence
# and avrdude's source tarball. `cpack` in the build folder makes them; the test command makes
# them in <build>/package and checks them.

install(TARGETS VexlorLoader RUNTIME DESTINATION .)

# Text files get Windows line ends, so that every editor there shows them as written.
function(vexlor_windows_text text target)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${CMAKE_BINARY_DIR}/package-files/${target} "${text}")
endfunction()
# README.txt: the list of files, then the user's manual (docs/manual.md).
configure_file(${CMAKE_SOURCE_DIR}/docs/release-files.txt.in
    ${CMAKE_BINARY_DIR}/generated/release-files.txt @ONLY)
file(READ ${CMAKE_BINARY_DIR}/generated/release-files.txt files_text)
file(READ ${CMAKE_SOURCE_DIR}/docs/manual.md manual_text)
vexlor_windows_text("${files_text}\n${manual_text}" README.txt)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license_text)
vexlor_windows_text("${license_text}" LICENSE.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/manual.md
    ${CMAKE_SOURCE_DIR}/LICENSE)
install(FILES ${CMAKE_BINARY_DIR}/package-files/README.txt
    ${CMAKE_BINARY_DIR}/package-files/LICENSE.txt DESTINATION .)
if(VEXLOR_BUNDLE_AVRDUDE)
    install(FILES ${VEXLOR_AVRDUDE} ${VEXLOR_AVRDUDE_DIR}/avrdude.conf
        ${VEXLOR_AVRDUDE_DIR}/avrdude-COPYING.txt DESTINATION .)
    # The GPL asks for the corresponding source: the very tarball avrdude.exe was built from.
    install(FILES ${VEXLOR_AVRDUDE_TARBALL} DESTINATION avrdude-source)
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VEXLOR_PACKAGE_PLATFORM win64)
else()
    set(VEXLOR_PACKAGE_PLATFORM win32)
endif()
set(CPACK_PACKAGE_NAME VexlorLoader)
set(CPACK_PACKAGE_VENDOR Vexlor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(VEXLOR_PACKAGE_NAME VexlorLoader-${PROJECT_VERSION}-${VEXLOR_PACKAGE_PLATFORM})
set(VEXLOR_INSTALLER_NAME VexlorLoader-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_FILE_NAME ${VEXLOR_PACKAGE_NAME})
set(CPACK_GENERATOR ZIP)

# The installer: Program Files\Vexlor Loader, a Start-menu shortcut, an entry in the list of
# installed programs (name, version, publisher, uninstaller); /S installs silently. Only the
# shipped 32-bit program gets one.
find_program(VEXLOR_MAKENSIS makensis NO_CMAKE_FIND_ROOT_PATH)
if(VEXLOR_PACKAGE_PLATFORM STREQUAL win32 AND VEXLOR_MAKENSIS)
    list(APPEND CPACK_GENERATOR NSIS)
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Vexlor Loader")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Vexlor Loader")
    set(CPACK_PACKAGE_EXECUTABLES VexlorLoader "Vexlor Loader")
    set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
    set(CPACK_NSIS_PACKAGE_NAME "Vexlor Loader")
    set(CPACK_NSIS_DISPLAY_NAME "Vexlor Loader")
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_INSTALLED_ICON_NAME VexlorLoader.exe)
    set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/resources/vexlor.ico)
    set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/resources/vexlor.ico)
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    # Before files are replaced or removed, a running program is closed: the user is asked to
    # close it (a flash must not be cut off), or, installing silently, it is asked to close as
    # its close button would (once: a flash that runs asks first) and given ten seconds. No
    # Abort/Retry/Ignore on a locked file.
    # (NSIS code without semicolons, which CMake takes for list separators, and with single quotes:
    # CPack writes the text into its configuration unescaped, where it is read once more.)
    set(vexlor_close_program "
  StrCpy $R9 0
  vexlorCheck:
  FindWindow $R8 'AidDev' ''
  IntCmp $R8 0 vexlorClosed
  IfSilent vexlorAskToClose
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION 'Vexlor Loader is running.$\\\\n$\\\\nClose it (let a flash that runs finish first), then press OK to go on.' IDOK vexlorCheck
  Abort 'Vexlor Loader is still running: nothing was changed.'
  vexlorAskToClose:
  IntCmp $R9 0 0 vexlorWait vexlorWait
  SendMessage $R8 16 0 0 /TIMEOUT=2000
  vexlorWait:
  Sleep 500
  IntOp $R9 $R9 + 1
  IntCmp $R9 20 0 vexlorCheck
  Abort 'Vexlor Loader did not close: nothing was changed.'
  vexlorClosed:
")
    set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "${vexlor_close_program}")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${vexlor_close_program}")
    # The installer's own file name: VexlorLoader-<version>-setup.exe.
    file(WRITE ${CMAKE_BINARY_DIR}/cpackGeneratorOptions.cmake
        "if(CPACK_GENERATOR STREQUAL \"NSIS\")\n"
        "    set(CPACK_PACKAGE_FILE_NAME ${VEXLOR_INSTALLER_NAME})\n"
        "endif()\n")
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpackGeneratorOptions.cmake)
endif()
include(CPack)
