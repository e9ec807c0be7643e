#!/usr/bin/env python3
"""Checks that each layer of the source tree includes headers of its own and lower layers only.

    check_layers.py SOURCE_DIR

A quoted include is resolved by the file name to the layer folder that holds it; system headers
(angle brackets) and files no layer holds are not layers' business. Exit 1 lists every breach.
"""
import pathlib
import re
import sys

# Each layer and the layers below it that it may use.
LAYERS = {
    "core": set(),
    "syntax": {"core"},
    "hints": {"core"},
    "Basecode": {"core"},
    "checks": {"core", "Basecode"},
    "app": {"core", "syntax", "hints", "Basecode", "checks"},
    "tools/lumenpad-check": {"core", "Basecode", "checks"},
    "tools/glslvalidate": {"core"},
    "fuzz": {"core", "syntax", "hints", "Basecode", "checks"},
}
SOURCES = ("*.h", "*.cpp", "*.inc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def main() -> int:
    root = pathlib.Path(sys.argv[1])
    owner = {}
    for layer in LAYERS:
        for pattern in SOURCES:
            for path in (root / layer).glob(pattern):
                owner.setdefault(path.name, set()).add(layer)

    breaches = []
    for layer, allowed in LAYERS.items():
        for pattern in SOURCES:
            for path in sorted((root / layer).glob(pattern)):
                for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                    homes = owner.get(pathlib.PurePath(name).name, set())
                    if not homes or layer in homes or homes & allowed:
                        continue
                    breaches.append(f"{path.relative_to(root)}: includes \"{name}\" of {', '.join(sorted(homes))}/")
    for line in breaches:
        print(line)
    if breaches:
        return 1
    print(f"{len(LAYERS)} layers, every include within its own or a lower layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
