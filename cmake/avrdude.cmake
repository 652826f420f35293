# avrdude for Windows, built from Debian's source of avrdude 7.1 with avrdude's own CMake build
# and this build's toolchain: avrdude.exe and avrdude.conf land in ${VEXLOR_AVRDUDE_DIR}, with
# avrdude's licence beside them. The release ships them next to VexlorLoader.exe, and every flash
# in the tests and in tools/run.sh runs this very avrdude.exe.
#
# The source tarball is fetched once by tools/install-deps.sh (apt-get source) into
# build/downloads and checked here against its pinned checksum, so a build never downloads.
# Without the tarball the build cannot ship a programmer: cross builds stop with a hint, other
# builds (Visual Studio, MSYS2) leave avrdude out unless VEXLOR_BUNDLE_AVRDUDE is set.

set(VEXLOR_AVRDUDE_VERSION 7.1)
set(VEXLOR_AVRDUDE_DEBIAN_VERSION 7.1+dfsg)
set(VEXLOR_AVRDUDE_TARBALL_NAME avrdude_7.1+dfsg.orig.tar.xz)
set(VEXLOR_AVRDUDE_SHA256 91d454994f098f24a1c627036b4c9cec36ad639cda31875e652c104c0bd42906)
set(VEXLOR_AVRDUDE_TARBALL ${CMAKE_SOURCE_DIR}/build/downloads/${VEXLOR_AVRDUDE_TARBALL_NAME}
    CACHE FILEPATH "Debian's avrdude source tarball (tools/install-deps.sh fetches it)")

if(CMAKE_CROSSCOMPILING)
    set(bundle_default ON)
else()
    set(bundle_default OFF)
endif()
option(VEXLOR_BUNDLE_AVRDUDE "Build avrdude.exe from source and ship it with the program"
    ${bundle_default})
if(NOT VEXLOR_BUNDLE_AVRDUDE)
    return()
endif()
if(NOT EXISTS ${VEXLOR_AVRDUDE_TARBALL})
    message(FATAL_ERROR "avrdude's source ${VEXLOR_AVRDUDE_TARBALL} is missing: run "
                        "tools/install-deps.sh, which fetches it once")
endif()

include(ExternalProject)
set(VEXLOR_AVRDUDE_DIR ${CMAKE_BINARY_DIR}/avrdude)
set(VEXLOR_AVRDUDE ${VEXLOR_AVRDUDE_DIR}/avrdude.exe)
set(avrdude_source ${CMAKE_BINARY_DIR}/avrdude-build/source)
set(avrdude_binary ${CMAKE_BINARY_DIR}/avrdude-build/binary)
# Serial programmers only: no USB, ELF or readline libraries are looked for in the cross root,
# and the result imports system DLLs alone. Linked statically, like the program.
ExternalProject_Add(avrdude
    URL ${VEXLOR_AVRDUDE_TARBALL}
    URL_HASH SHA256=${VEXLOR_AVRDUDE_SHA256}
    DOWNLOAD_EXTRACT_TIMESTAMP ON
    SOURCE_DIR ${avrdude_source}
    BINARY_DIR ${avrdude_binary}
    PREFIX ${CMAKE_BINARY_DIR}/avrdude-build
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        "-DCMAKE_EXE_LINKER_FLAGS=-static -static-libgcc"
        -DBUILD_DOC=OFF
        # The source lies inside this project's work tree: without this, avrdude would take
        # this project's last commit for its own and print it in its version line.
        -DCMAKE_DISABLE_FIND_PACKAGE_Git=ON
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${VEXLOR_AVRDUDE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${avrdude_binary}/src/avrdude.exe
        ${avrdude_binary}/src/avrdude.conf ${VEXLOR_AVRDUDE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${avrdude_source}/COPYING
        ${VEXLOR_AVRDUDE_DIR}/avrdude-COPYING.txt
    BUILD_BYPRODUCTS ${VEXLOR_AVRDUDE} ${VEXLOR_AVRDUDE_DIR}/avrdude.conf
    LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
