#!/usr/bin/env python3
"""Checks that every #include points down.

Layers, bottom up: include/tallyvex (the published interface), platform,
library, program, tools. A file includes only its own layer and the layers
below it. Inside platform/ the rooms are ordered too, and a room includes
only itself and the rooms before it:

    text, descriptors, process, files, shell, registry, automation,
    desktop, desktop/qt

Besides the order:
- the published headers include nothing of ours but each other, by bare name;
- the library's frame includes a class's headers only in its class list;
- program/analysis and program/history include nothing of program/ui;
- only platform/desktop/qt and program/ui (and tools that show windows)
  include Qt.
tests/, fuzz/ and bench/ may include anything.

Usage: check_includes.py [SOURCE_ROOT | --self-test]. Prints each include that points
the wrong way and exits with status 1 when there is one.
"""

import pathlib
import re
import sys

LAYERS = ["include/tallyvex", "platform", "library", "program", "tools"]
ROOMS = ["text", "descriptors", "process", "files", "shell", "registry", "automation",
         "desktop", "desktop/qt"]
FREE = ["tests", "fuzz", "bench"]
LIBRARY_CLASSES = ["api_funs", "txt_file", "base64", "registry", "gen_funs"]
CLASS_LIST = "library/frame/class_list.cpp"
# Folders whose code may include Qt.
QT_ALLOWED = ["platform/desktop/qt", "program/ui", "tools/window-grab", "tools/icon-render"]
SOURCE_SUFFIXES = {".h", ".cpp", ".hpp", ".cc"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)


def layer_of(path):
    for index, layer in enumerate(LAYERS):
        if path == layer or path.startswith(layer + "/"):
            return index
    return None


def room_of(path):
    """The index of the platform room `path` lies in; None outside one."""
    if not path.startswith("platform/"):
        return None
    inner = path[len("platform/"):]
    best = None
    for index, room in enumerate(ROOMS):
        if inner.startswith(room + "/"):
            best = index  # the later (deeper) match wins: desktop/qt over desktop
    return best


def class_of(path):
    for name in LIBRARY_CLASSES:
        if path.startswith(f"library/{name}/"):
            return name
    return None


def problems_of(path, text):
    """What is wrong with the includes of the file at `path` (relative)."""
    found = []
    own_layer = layer_of(path)
    if own_layer is None:
        return found
    if path.startswith("platform/") and room_of(path) is None and not path.endswith(
            "CMakeLists.txt"):
        found.append(f"{path}: lies in no room of platform/")
    for match in INCLUDE.finditer(text):
        quoted, target = match.group(1) == '"', match.group(2)
        line = text.count("\n", 0, match.start()) + 1
        where = f"{path}:{line}: #include {target}"
        if not quoted:
            if target.startswith("Q") and not any(
                    path.startswith(folder + "/") for folder in QT_ALLOWED):
                found.append(f"{where}: Qt outside the folders that may show windows")
            continue
        if own_layer == 0:
            if "/" in target:
                found.append(f"{where}: the published headers include only each other")
            continue
        target_layer = layer_of(target)
        if target_layer is None:
            continue  # generated headers and bare names of the same folder
        if target_layer > own_layer:
            found.append(f"{where}: {LAYERS[own_layer]} may not include {LAYERS[target_layer]}")
            continue
        if own_layer == 1 and target_layer == 1:
            own_room, target_room = room_of(path), room_of(target)
            if own_room is not None and target_room is not None and target_room > own_room:
                found.append(f"{where}: the room {ROOMS[own_room]} may not include the room "
                             f"{ROOMS[target_room]}")
        if path.startswith("library/frame/") and class_of(target) and path != CLASS_LIST:
            found.append(f"{where}: the frame reaches the classes only through {CLASS_LIST}")
        if target.startswith("program/ui/") and (
                path.startswith("program/analysis/") or path.startswith("program/history/")):
            found.append(f"{where}: the core may not include the windows")
    return found


# Cases the check must get right: (file, included, whether it is refused).
SELF_TEST = [
    ("platform/files/win_path.cpp", '"platform/text/unicode_text.h"', False),
    ("platform/text/unicode_text.cpp", '"platform/files/win_path.h"', True),
    ("platform/process/boot_id.cpp", '"platform/descriptors/regular_file.h"', False),
    ("platform/descriptors/regular_file.cpp", '"platform/process/leftovers.h"', True),
    ("platform/desktop/loader.cpp", '"platform/desktop/qt/window_entry.h"', True),
    ("platform/desktop/qt/window_entry.cpp", '"platform/desktop/desktop_abi.h"', False),
    ("platform/automation/bstr.h", '"include/tallyvex/ole_types.h"', False),
    ("platform/automation/bstr.h", '"library/frame/com_object.h"', True),
    ("platform/registry/registry_store.cpp", "<QString>", True),
    ("platform/desktop/qt/file_dialogs.cpp", "<QFileDialog>", False),
    ("library/frame/registration.cpp", '"library/txt_file/txt_file.h"', True),
    ("library/frame/class_list.cpp", '"library/txt_file/txt_file_object.h"', False),
    ("library/gen_funs/gen_funs.cpp", '"program/analysis/listing.h"', True),
    ("program/analysis/listing.cpp", '"program/ui/main_window.h"', True),
    ("program/ui/main_window.cpp", '"program/analysis/listing.h"', False),
    ("tools/tlvx-count/main.cpp", '"program/analysis/listing.h"', False),
    ("include/tallyvex/Morcel_TLVX.h", '"ole_types.h"', False),
    ("include/tallyvex/Morcel_TLVX.h", '"platform/automation/bstr.h"', True),
    ("platform/loose.cpp", "<string>", True),
]


def self_test():
    failures = 0
    for path, target, refused in SELF_TEST:
        found = problems_of(path, f"#include {target}\n")
        if bool(found) != refused:
            failures += 1
            print(f"wrong: {path} including {target}: {found or 'allowed'}")
    print(f"{len(SELF_TEST) - failures} of {len(SELF_TEST)} cases right")
    return 1 if failures else 0


def main(argv):
    if len(argv) > 1 and argv[1] == "--self-test":
        return self_test()
    root = pathlib.Path(argv[1] if len(argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = []
    checked = 0
    for file in sorted(root.rglob("*")):
        relative = file.relative_to(root).as_posix()
        if file.suffix not in SOURCE_SUFFIXES or not file.is_file():
            continue
        if relative.split("/")[0] in FREE or relative.startswith(("build", ".")):
            continue
        checked += 1
        problems += problems_of(relative, file.read_text(encoding="utf-8", errors="replace"))
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) point the wrong way")
        return 1
    print(f"{checked} files checked: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
