#!/usr/bin/env python3
"""Checks that Windows programs carry the project's application manifest.

    pe_manifest.py [--zip ARCHIVE]... [PATH]...

Checks each PATH that is a file, every .exe under each PATH that is a folder,
and every .exe member of each ARCHIVE. A program passes when it holds exactly
one RT_MANIFEST resource 1 (the one Windows reads when it starts the program),
requesting the asInvoker level without UI access and listing Windows 7, 8,
8.1 and 10/11 as supported. Prints one line per problem, naming the program,
then a count; exits 1 when any program or source fails."""

import argparse
import pathlib
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from pe_image import RESOURCE_DIRECTORY, PeImage  # noqa: E402

RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
SUBDIRECTORY = 0x80000000

ASSEMBLY = "{urn:schemas-microsoft-com:asm.v1}assembly"
TRUST = "urn:schemas-microsoft-com:asm.v3"
EXECUTION_LEVEL = "{%s}trustInfo/{%s}security/{%s}requestedPrivileges/{%s}requestedExecutionLevel" % ((TRUST,) * 4)
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SUPPORTED_OS = "{%s}compatibility/{%s}application/{%s}supportedOS" % ((COMPATIBILITY,) * 3)
REQUIRED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10/11",
}


def entries(image, directory):
    """The (id, target) pairs of a resource directory at file offset directory;
    targets are offsets from the resource section's start."""
    named, numbered = struct.unpack_from("<HH", image, directory + 12)
    return [struct.unpack_from("<II", image, directory + 16 + 8 * index) for index in range(named + numbered)]


def subdirectories(image, section, directory, wanted_id):
    """The file offsets of the subdirectories with the numeric id wanted_id.
    There should be one at most, but GNU ld, when it fails to merge two
    manifests, reports it and still writes both under the same id."""
    return [section + (target & ~SUBDIRECTORY) for name, target in entries(image, directory)
            if name == wanted_id and target & SUBDIRECTORY]


def startup_manifests(image):
    """The bytes of each RT_MANIFEST resource 1, one per language."""
    pe = PeImage(image)
    rva, size = pe.directory(RESOURCE_DIRECTORY)
    if size == 0:
        return []
    section = pe.offset(rva)
    found = []
    for of_type in subdirectories(image, section, section, RT_MANIFEST):
        for of_id in subdirectories(image, section, of_type, CREATEPROCESS_MANIFEST_RESOURCE_ID):
            for _, entry in entries(image, of_id):
                data_rva, data_size = struct.unpack_from("<II", image, section + (entry & ~SUBDIRECTORY))
                start = pe.offset(data_rva)
                found.append(image[start:start + data_size])
    return found


def manifest_problems(text):
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        return ["the manifest is no well-formed XML (%s)" % error]
    if root.tag != ASSEMBLY:
        return ["the manifest's root is %s, not %s" % (root.tag, ASSEMBLY)]
    problems = []
    levels = root.findall(EXECUTION_LEVEL)
    if len(levels) != 1:
        problems.append("the manifest has %d requestedExecutionLevel elements, not 1" % len(levels))
    elif (levels[0].get("level"), levels[0].get("uiAccess")) != ("asInvoker", "false"):
        problems.append("the manifest requests level=%s uiAccess=%s, not asInvoker without UI access"
                        % (levels[0].get("level"), levels[0].get("uiAccess")))
    listed = {(entry.get("Id") or "").lower() for entry in root.findall(SUPPORTED_OS)}
    for guid, name in REQUIRED_OS.items():
        if guid not in listed:
            problems.append("the manifest does not list %s %s as supported" % (name, guid))
    return problems


def program_problems(image):
    try:
        manifests = startup_manifests(image)
    except (ValueError, struct.error) as error:
        return ["unreadable as a PE image (%s)" % error]
    if not manifests:
        return ["no RT_MANIFEST resource %d" % CREATEPROCESS_MANIFEST_RESOURCE_ID]
    if len(manifests) > 1:
        return ["%d RT_MANIFEST resources %d: Windows would start the program with any one of them"
                % (len(manifests), CREATEPROCESS_MANIFEST_RESOURCE_ID)]
    return manifest_problems(manifests[0])


def programs(paths, archives):
    """Yields (name, bytes) of each program to check, or (name, problem) for
    a program that cannot be read or a folder or archive that holds none."""
    for path in map(pathlib.Path, paths):
        files = sorted(p for p in path.rglob("*") if p.suffix.lower() == ".exe") if path.is_dir() else [path]
        if not files:
            yield str(path), "holds no .exe"
        for file in files:
            try:
                yield str(file), file.read_bytes()
            except OSError as error:
                yield str(file), "cannot be read (%s)" % error.strerror
    for archive in archives:
        try:
            with zipfile.ZipFile(archive) as members:
                names = [n for n in members.namelist() if n.lower().endswith(".exe")]
                for name in names:
                    yield "%s:%s" % (archive, name), members.read(name)
        except (OSError, zipfile.BadZipFile) as error:
            yield archive, "cannot be read as a zip archive (%s)" % error
            continue
        if not names:
            yield archive, "holds no .exe"


def main():
    parser = argparse.ArgumentParser(description="Checks the application manifest of Windows programs.")
    parser.add_argument("--zip", action="append", default=[], metavar="ARCHIVE",
                        help="check every .exe member of this zip archive")
    parser.add_argument("paths", nargs="*", metavar="PATH", help="a program, or a folder to check every .exe under")
    arguments = parser.parse_args()
    if not arguments.paths and not arguments.zip:
        parser.error("name at least one program, folder or --zip archive")
    checked = failed = 0
    for name, content in programs(arguments.paths, arguments.zip):
        problems = [content] if isinstance(content, str) else program_problems(content)
        checked += 1
        failed += bool(problems)
        for problem in problems:
            print("%s: %s" % (name, problem))
    print("%d checked, %d failing" % (checked, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
