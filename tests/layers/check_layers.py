#!/usr/bin/env python3
"""The layers of the program, held: every #include "folder/..." of every
source file, and every tadmor library a CMake target links, must point to a
layer below its own (or to its own), and a front-end never to another
front-end. A library linked but never included is refused too.

Usage: check_layers.py SOURCE_DIR [FILE...]; with FILEs only those are read
(the test of this test gives it files with a wrong include)."""
import re
import sys
from pathlib import Path

# Each folder and the folders it may include, lowest layer first.
LIBRARIES = {
    "model": [],
    "report": ["model"],
    "app/request": ["model", "report"],
    "material": ["model", "report", "app/request"],
    "extruder": ["model", "report", "app/request", "material"],
    "inputs": ["model", "report", "app/request", "material", "extruder"],
    "analysis": ["model", "report", "app/request", "material", "extruder", "inputs"],
    "export": ["model", "report", "app/request", "material", "extruder", "inputs", "analysis"],
    "charts": ["model", "report", "app/request", "material", "extruder", "inputs", "analysis"],
}
LIBRARIES["charts/qt"] = LIBRARIES["charts"] + ["charts"]
ALL_LIBRARIES = list(LIBRARIES)
# Front-ends: over every library, never over one another (the benchmarks
# also time the studio's window).
FRONT_ENDS = {"cli": ALL_LIBRARIES, "python": ALL_LIBRARIES, "app/gui": ALL_LIBRARIES,
              "app/studio": ALL_LIBRARIES, "bench": ALL_LIBRARIES + ["support", "app/studio"],
              "fuzz": ALL_LIBRARIES + ["support"]}
ALLOWED = {**LIBRARIES, **FRONT_ENDS}

TARGETS = {"tadmor_model": "model", "tadmor_report": "report", "tadmor_request": "app/request",
           "tadmor_material": "material", "tadmor_extruder": "extruder", "tadmor_inputs": "inputs",
           "tadmor_analysis": "analysis", "tadmor_export": "export", "tadmor_charts": "charts",
           "tadmor_charts_qt": "charts/qt", "tadmor_cli": "cli", "tadmor_gui": "app/gui",
           "tadmor_studio": "app/studio"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(relative):
    """The layer folder a path (or an included header) belongs to, or None."""
    for folder in sorted(ALLOWED, key=len, reverse=True):
        if relative == folder or relative.startswith(folder + "/"):
            return folder
    return None


# The test folders and the layers they test: each may include what its
# layer may, the layer itself, the test support and its own headers.
TESTS = {"model": ["model"], "report": ["report"], "request": ["app/request"], "material": ["material"],
         "extruder": ["extruder"], "inputs": ["inputs"], "analysis": ["analysis"], "export": ["export"],
         "charts": ["charts", "charts/qt"], "cli": ["cli"], "gui": ["app/gui"], "studio": ["app/studio"],
         "layers": []}


def allowed_for(relative):
    """The folder of a file and what it may include."""
    parts = relative.split("/")
    if parts[0] == "tests" and len(parts) > 2:
        if parts[1] == "support":
            return "tests/support", ALL_LIBRARIES + ["support"]
        layers = TESTS.get(parts[1])
        if layers is None:
            return None, None
        allowed = [a for layer in layers for a in ALLOWED[layer] + [layer]]
        return "tests/" + parts[1], allowed + ["support", "tests/" + parts[1]]
    folder = folder_of(relative)
    if folder is None:
        return None, None
    return folder, ALLOWED[folder] + [folder]


def check_includes(root, files):
    faults = []
    for path in files:
        relative = path.relative_to(root).as_posix()
        folder, allowed = allowed_for(relative)
        if folder is None:
            continue
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            target = included[len("tests/"):] if included.startswith("tests/") else included
            if included.startswith("tests/") and included.split("/")[1] in ("support",):
                target = "support/" + "/".join(included.split("/")[2:])
            layer = folder_of(target) or ("support" if target.startswith("support/") else None)
            if included.startswith("tests/") and not target.startswith("support/"):
                layer = "tests/" + included.split("/")[1]
            if layer is None or layer in allowed:
                continue
            faults.append(f"{relative}: includes \"{included}\" ({layer}), above or beside {folder}")
    return faults


def check_links(root):
    faults = []
    for cmake in sorted(root.rglob("CMakeLists.txt")):
        relative = cmake.parent.relative_to(root).as_posix()
        folder = folder_of(relative)
        if folder is None or relative.startswith(("tests", "build")):
            continue
        text = cmake.read_text()
        sources = [p for p in cmake.parent.rglob("*") if p.suffix in (".cpp", ".h")]
        included = {folder_of(i) for p in sources for i in INCLUDE.findall(p.read_text(errors="replace"))}
        for target, body in re.findall(r"target_link_libraries\((\w+)([^)]*)\)", text):
            for linked in re.findall(r"\btadmor_\w+", body):
                layer = TARGETS.get(linked)
                if layer is None:
                    continue
                if layer != folder and layer not in ALLOWED[folder]:
                    faults.append(f"{relative}/CMakeLists.txt: {target} links {linked} ({layer}), above or beside {folder}")
                # A library links what its sources include (charts/qt's header lives in charts).
                header_folder = "charts" if layer == "charts/qt" else layer
                if target in TARGETS and header_folder not in included and layer not in included:
                    faults.append(f"{relative}/CMakeLists.txt: {target} links {linked} but includes nothing of {layer}")
    return faults


def main():
    root = Path(sys.argv[1]).resolve()
    given = [Path(f).resolve() for f in sys.argv[2:]]
    # The trees of builds and the wrong tree of this check's own test are not the program's.
    files = given or sorted(p for p in root.rglob("*") if p.suffix in (".cpp", ".h")
                            and not any(part.startswith(("build", ".")) for part in p.relative_to(root).parts)
                            and not p.relative_to(root).as_posix().startswith("tests/layers/"))
    faults = check_includes(root, files) + ([] if given else check_links(root))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} includes or links against the layers (docs/architecture.md)")
        return 1
    print(f"{len(files)} files hold the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
