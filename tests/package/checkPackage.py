#!/usr/bin/env python3
"""Makes the release with CPack and checks what it holds: the archive has the program and
avrdude.exe as built, avrdude.conf, README.txt (the list of files, then the manual),
LICENSE.txt, avrdude's licence and its source tarball with the pinned checksum, in one top
folder; where the build makes an installer, it is there too.

usage: checkPackage.py CPACK BUILD_DIR ARCHIVE_NAME AVRDUDE_TARBALL SHA256 [INSTALLER_NAME]
"""
import hashlib
import os
import subprocess
import sys
import zipfile


def main(argv):
    if len(argv) not in (6, 7):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    cpack, build, name, tarball, checksum = argv[1:6]
    installer = argv[6] if len(argv) == 7 else None
    output = os.path.join(build, "package")
    subprocess.run([cpack, "--config", os.path.join(build, "CPackConfig.cmake"), "-B", output],
                   check=True, stdout=subprocess.DEVNULL)
    archive = os.path.join(output, name + ".zip")
    if not os.path.isfile(archive):
        print("FAIL no archive %s" % archive)
        return 1
    source = "avrdude-source/" + os.path.basename(tarball)
    built = {"VexlorLoader.exe": os.path.join(build, "bin", "VexlorLoader.exe"),
             "avrdude.exe": os.path.join(build, "avrdude", "avrdude.exe"),
             "avrdude.conf": os.path.join(build, "avrdude", "avrdude.conf")}
    with zipfile.ZipFile(archive) as zip:
        files = {entry.filename[len(name) + 1:] for entry in zip.infolist()
                 if not entry.is_dir() and entry.filename.startswith(name + "/")}

        def text(file):
            return zip.read(name + "/" + file).decode() if file in files else ""

        def same(file, path):
            with open(path, "rb") as original:
                return file in files and zip.read(name + "/" + file) == original.read()

        expected = set(built) | {"README.txt", "LICENSE.txt", "avrdude-COPYING.txt", source}
        readme = text("README.txt")
        checks = [("contents", files == expected, ", ".join(sorted(files)))]
        checks += [(file, same(file, path), "as built") for file, path in sorted(built.items())]
        checks += [
            ("readme", readme.startswith("Vexlor Loader ") and "\n" not in readme.replace("\r\n", "")
             and all(file.replace("/", "\\") in readme for file in expected)
             and "\r\n# Vexlor Loader\r\n" in readme,
             "README.txt with Windows line ends names every file, then the manual"),
            ("licence", text("LICENSE.txt").startswith("MIT License\r\n"), "LICENSE.txt (MIT)"),
            ("avrdude licence", "GNU GENERAL PUBLIC LICENSE" in text("avrdude-COPYING.txt"),
             "avrdude-COPYING.txt (GPL)"),
            ("avrdude source", source in files
             and hashlib.sha256(zip.read(name + "/" + source)).hexdigest() == checksum,
             "%s with SHA-256 %s" % (source, checksum)),
        ]
    if installer:
        setup = os.path.join(output, installer + ".exe")
        checks.append(("installer", os.path.isfile(setup) and os.path.getsize(setup) > len(files),
                       setup))
    failed = 0
    for what, passed, found in checks:
        print("%s %s: %s" % ("ok  " if passed else "FAIL", what, found))
        failed += 0 if passed else 1
    print("archive: %s" % archive)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
