#!/usr/bin/env python3
"""Checks that no room of probe-image's sources includes a room above it.

A room is a folder whose CMakeLists.txt adds a library. A file of a room may
include the headers of its own room and of the rooms its library links (in its
target_link_libraries), directly or through the rooms those link in turn; a
header of any other room is an include from above, and fails the check. Headers
that no room holds (those of lower targets and of the system) are not judged.

Usage: room_includes.py SOURCE_FOLDER
"""
import pathlib
import re
import sys

LIBRARY = re.compile(r"add_library\(\s*(\w+)")
LINKS = re.compile(r"target_link_libraries\(\s*(\w+)([^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = {".h", ".cpp"}


def rooms_of(source):
    """Room folder -> (library, the libraries it links)."""
    rooms = {}
    for cmake in sorted(source.rglob("CMakeLists.txt")):
        text = cmake.read_text()
        library = LIBRARY.search(text)
        if not library:
            continue
        links = set()
        for target, words in LINKS.findall(text):
            if target == library.group(1):
                links.update(words.split())
        rooms[cmake.parent] = (library.group(1), links)
    return rooms


def main(source):
    rooms = rooms_of(source)
    room_of_library = {library: folder for folder, (library, _) in rooms.items()}
    below = {}

    def reachable(folder, path=()):
        if folder in below:
            return below[folder]
        if folder in path:
            sys.exit("rooms link in a circle: " + " -> ".join(p.name for p in path + (folder,)))
        found = {folder}
        for link in rooms[folder][1]:
            if link in room_of_library:
                found |= reachable(room_of_library[link], path + (folder,))
        below[folder] = found
        return found

    header_room = {}
    faults = []
    for folder in rooms:
        for header in folder.glob("*.h"):
            if header.name in header_room:
                faults.append(f"{header.name} is in two rooms: {header_room[header.name].name} "
                              f"and {folder.name}")
            header_room[header.name] = folder

    for folder in rooms:
        allowed = reachable(folder)
        for file in sorted(folder.iterdir()):
            if file.suffix not in SOURCES:
                continue
            for name in INCLUDE.findall(file.read_text()):
                owner = header_room.get(pathlib.PurePath(name).name)
                if owner is not None and owner not in allowed:
                    faults.append(f"{file.relative_to(source)} includes {name} of "
                                  f"{owner.relative_to(source)}, a room it does not link")
    for fault in faults:
        print(fault)
    print(f"{len(rooms)} rooms, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(pathlib.Path(sys.argv[1]).resolve()))
