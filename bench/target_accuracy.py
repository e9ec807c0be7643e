#!/usr/bin/env python3
"""Compares glslvalidate's verdict per target with glslangValidator's, run by hand.

    bench/target_accuracy.py PROGRAM_DIR CORPUS_DIR...

For a GL or ES target the reference checks the shader with the target's #version line put
first (a shader with a #version of its own that says otherwise is not compared: glslvalidate
rejects it on purpose); for Vulkan it checks with -V --target-env vulkanX.Y. The stage comes
from the file name: .vert/.frag/... first, then a name holding "vert" or "vertex" is a vertex
shader and anything else a fragment shader (as the shader folders of glmark2, Minetest and
Kodi name them). Prints agreement per target and every disagreement.
"""
import collections
import os
import pathlib
import re
import subprocess
import sys
import tempfile

TARGETS = ["gl:110", "gl:120", "gl:130", "gl:150:core", "gl:330:core", "gl:450:core",
           "es:100", "es:300", "es:310", "es:320", "vulkan:1.0", "vulkan:1.3"]
EXTENSIONS = {".vert": "vert", ".tesc": "tesc", ".tese": "tese", ".geom": "geom", ".frag": "frag", ".comp": "comp"}
VERSION = re.compile(r"\A(?:\s|//[^\n]*\n|/\*.*?\*/)*#\s*version\s+(\d+)\s*(\w*)", re.S)


def stage_of(path: pathlib.Path) -> str:
    name = path.name.lower()
    if name.endswith(".glsl") and pathlib.Path(name[:-5]).suffix in EXTENSIONS:
        name = name[:-5]
    suffix = pathlib.Path(name).suffix
    if suffix in EXTENSIONS:
        return EXTENSIONS[suffix]
    return "vert" if "vert" in name else "frag"


def version_line(target: str) -> str:
    api, version, *profile = target.split(":")
    if api == "es":
        return f"#version {version}" + (" es" if int(version) >= 300 else "")
    return f"#version {version}" + (" core" if profile == ["core"] else "")


def own_version_agrees(text: str, target: str) -> bool:
    m = VERSION.match(text)
    if not m:
        return True
    version, profile = int(m.group(1)), m.group(2)
    api, want, *want_profile = target.split(":")
    if version != int(want):
        return False
    if api == "es":
        return profile == ("es" if version >= 300 else "")
    if version < 150:
        return profile == ""
    return (profile or "core") == "core"


def main() -> int:
    program = pathlib.Path(sys.argv[1]).resolve() / "glslvalidate"
    files = sorted(p.resolve() for d in sys.argv[2:] for p in pathlib.Path(d).rglob("*")
                   if p.is_file() and (p.suffix in EXTENSIONS or p.suffix == ".glsl"))
    counts = collections.defaultdict(collections.Counter)
    disagreements = []
    with tempfile.TemporaryDirectory() as work:
        for path in files:
            text = path.read_text(encoding="utf-8", errors="replace")
            stage = stage_of(path)
            for target in TARGETS:
                ours = subprocess.run([str(program), "--target", target, "--stage", stage, str(path)],
                                      cwd=work, capture_output=True).returncode
                if target.startswith("vulkan"):
                    env = "vulkan1." + target.split(".")[1]
                    ref_cmd = ["glslangValidator", "-V", "--target-env", env, "-S", stage, "-o",
                               os.path.join(work, "out.spv"), str(path)]
                else:
                    if not own_version_agrees(text, target):
                        counts[target]["own #version differs"] += 1
                        continue
                    flat = os.path.join(work, "shader." + stage)
                    body = text if VERSION.match(text) else version_line(target) + "\n" + text
                    pathlib.Path(flat).write_text(body, encoding="utf-8")
                    ref_cmd = ["glslangValidator", "-S", stage, flat]
                ref = subprocess.run(ref_cmd, cwd=work, capture_output=True).returncode
                agree = (ours == 0) == (ref == 0)
                counts[target]["agree" if agree else "disagree"] += 1
                counts[target]["passes" if ours == 0 else "fails"] += 1
                if not agree:
                    disagreements.append(f"{target} {path}: ours {ours}, reference {ref}")
    print(f"{len(files)} files")
    print(f"{'target':<13} {'agree':>6} {'disagree':>9} {'passes':>7} {'fails':>6} {'not compared':>13}")
    for target in TARGETS:
        c = counts[target]
        print(f"{target:<13} {c['agree']:>6} {c['disagree']:>9} {c['passes']:>7} {c['fails']:>6} "
              f"{c['own #version differs']:>13}")
    for line in disagreements:
        print("disagree:", line)
    return 1 if disagreements else 0


if __name__ == "__main__":
    sys.exit(main())
