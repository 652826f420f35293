#!/usr/bin/env python3
"""Makes the release archive with CPack and checks what it holds: the program as built, the
README as text and the note on where the programmer goes, in one top folder.

usage: checkPackage.py CPACK BUILD_DIR ARCHIVE_NAME
"""
import os
import subprocess
import sys
import zipfile


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    cpack, build, name = argv[1:]
    output = os.path.join(build, "package")
    subprocess.run([cpack, "-G", "ZIP", "--config", os.path.join(build, "CPackConfig.cmake"),
                    "-B", output], check=True, stdout=subprocess.DEVNULL)
    archive = os.path.join(output, name + ".zip")
    if not os.path.isfile(archive):
        print("FAIL no archive %s" % archive)
        return 1
    with zipfile.ZipFile(archive) as zip, open(os.path.join(build, "bin", "VexlorLoader.exe"), "rb") as exe:
        files = {entry.filename: entry for entry in zip.infolist() if not entry.is_dir()}
        expected = {name + "/" + file for file in ("VexlorLoader.exe", "README.txt", "AVRDUDE.txt")}
        readme = zip.read(name + "/README.txt").decode() if name + "/README.txt" in files else ""
        note = zip.read(name + "/AVRDUDE.txt").decode() if name + "/AVRDUDE.txt" in files else ""
        checks = [
            ("contents", set(files) == expected, ", ".join(sorted(files))),
            ("program", files.get(name + "/VexlorLoader.exe") is not None
             and zip.read(name + "/VexlorLoader.exe") == exe.read(), "the built VexlorLoader.exe"),
            ("readme", readme.startswith("# Vexlor Loader\r\n") and "\n" not in readme.replace("\r\n", ""),
             "README.txt with Windows line ends"),
            ("note", "avrdude.exe" in note and "avrdude.conf" in note and "\r\n" in note,
             "AVRDUDE.txt names avrdude.exe and avrdude.conf"),
        ]
    failed = 0
    for what, passed, found in checks:
        print("%s %s: %s" % ("ok  " if passed else "FAIL", what, found))
        failed += 0 if passed else 1
    print("archive: %s" % archive)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
