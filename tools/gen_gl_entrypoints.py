#!/usr/bin/env python3
"""Writes Basecode/GLEntryPoints.inc, the X-macro list of every entry point the OpenGL
binding looks up by name, from the Khronos registry (gl.xml of Debian's khronos-api).

Usage (from the repository root):
    python3 tools/gen_gl_entrypoints.py /usr/share/khronos-api/gl.xml Basecode/GLEntryPoints.inc
With --check first, nothing is written: the exit status says whether the file is up to date.

Groups, in the order the binding fills them:
  EGL        the EGL functions the rendering-context code calls (fixed list below)
  GLU        the GLU 1.3 functions (fixed list below; GLU is not in the registry)
  GL_1_1     OpenGL 1.0 and 1.1
  GL_1_2     OpenGL 1.2 and the imaging subset (GL_ARB_imaging)
  GL_1_3     OpenGL 1.3
  GL_1_4     OpenGL 1.4
  GL_1_5     OpenGL 1.5
  EXTENSION  commands of the desktop-GL extensions of the vendors in VENDORS, in registry
             order, without the names already in a core group
Every name appears once, in the first group that holds it.
"""

import hashlib
import os
import sys
import xml.etree.ElementTree as ET

EGL_NAMES = [
    "eglGetError",
    "eglQueryString",
    "eglGetPlatformDisplay",
    "eglGetPlatformDisplayEXT",
    "eglQueryDevicesEXT",
    "eglInitialize",
    "eglBindAPI",
    "eglChooseConfig",
    "eglCreateContext",
    "eglDestroyContext",
    "eglCreatePbufferSurface",
    "eglDestroySurface",
    "eglMakeCurrent",
    "eglGetCurrentContext",
    "eglGetCurrentDisplay",
    "eglReleaseThread",
]

GLU_NAMES = """
gluBeginCurve gluBeginPolygon gluBeginSurface gluBeginTrim gluBuild1DMipmaps gluBuild2DMipmaps
gluCylinder gluDeleteNurbsRenderer gluDeleteQuadric gluDeleteTess gluDisk gluEndCurve
gluEndPolygon gluEndSurface gluEndTrim gluErrorString gluGetNurbsProperty gluGetString
gluGetTessProperty gluLoadSamplingMatrices gluLookAt gluNewNurbsRenderer gluNewQuadric gluNewTess
gluNextContour gluNurbsCallback gluNurbsCurve gluNurbsProperty gluNurbsSurface gluOrtho2D
gluPartialDisk gluPerspective gluPickMatrix gluProject gluPwlCurve gluQuadricCallback
gluQuadricDrawStyle gluQuadricNormals gluQuadricOrientation gluQuadricTexture gluScaleImage
gluSphere gluTessBeginContour gluTessBeginPolygon gluTessCallback gluTessEndContour
gluTessEndPolygon gluTessNormal gluTessProperty gluTessVertex gluUnProject
""".split()

VENDORS = ["ARB", "EXT", "NV", "ATI", "SUN", "SGIX", "MESA", "SGIS", "APPLE", "IBM", "SGI",
           "HP", "INTEL", "WIN", "3DFX", "INGR", "PGI", "SUNX"]

# The editor compiles through these; a registry without them is not one we can build on.
REQUIRED_EXTENSION_NAMES = [
    "glCreateProgramObjectARB", "glCreateShaderObjectARB", "glShaderSourceARB",
    "glCompileShaderARB", "glAttachObjectARB", "glLinkProgramARB",
    "glGetObjectParameterivARB", "glGetInfoLogARB", "glDeleteObjectARB",
]

CORE_GROUPS = [
    ("GL_1_1", ["GL_VERSION_1_0", "GL_VERSION_1_1"], []),
    ("GL_1_2", ["GL_VERSION_1_2"], ["GL_ARB_imaging"]),
    ("GL_1_3", ["GL_VERSION_1_3"], []),
    ("GL_1_4", ["GL_VERSION_1_4"], []),
    ("GL_1_5", ["GL_VERSION_1_5"], []),
]


def supports_gl(api_list):
    return "gl" in (api_list or "").split("|")


def required_commands(element):
    names = []
    for req in element.findall("require"):
        if req.get("api") and req.get("api") != "gl":
            continue
        names.extend(c.get("name") for c in req.findall("command"))
    return names


def collect(registry_path):
    root = ET.parse(registry_path).getroot()
    features = {f.get("name"): required_commands(f)
                for f in root.findall("feature") if f.get("api") == "gl"}
    extensions = [(e.get("name"), required_commands(e))
                  for e in root.find("extensions").findall("extension")
                  if supports_gl(e.get("supported"))]
    extension_map = dict(extensions)

    seen = set()
    groups = []

    def take(names):
        out = []
        for n in names:
            if n not in seen:
                seen.add(n)
                out.append(n)
        return out

    groups.append(("EGL", take(EGL_NAMES)))
    groups.append(("GLU", take(GLU_NAMES)))
    for group, feature_names, extension_names in CORE_GROUPS:
        names = []
        for f in feature_names:
            names += features[f]
        for e in extension_names:
            names += extension_map[e]
        groups.append((group, take(names)))

    ext_names = []
    for name, commands in extensions:
        parts = name.split("_")
        if len(parts) > 2 and parts[0] == "GL" and parts[1] in VENDORS:
            ext_names += commands
    groups.append(("EXTENSION", take(ext_names)))
    return groups


def main(argv):
    args = argv[1:]
    check = bool(args) and args[0] == "--check"
    if check:
        args = args[1:]
    if len(args) != 2:
        sys.stderr.write("usage: gen_gl_entrypoints.py [--check] <gl.xml> <output .inc>\n")
        return 2
    registry, output = args
    groups = collect(registry)

    counts = {g: len(n) for g, n in groups}
    expected = {"GLU": 51, "GL_1_1": 336, "GL_1_2": 38, "GL_1_3": 46, "GL_1_4": 45, "GL_1_5": 19}
    for g, n in expected.items():
        if counts[g] != n:
            sys.stderr.write(f"group {g}: {counts[g]} names, expected {n}\n")
            return 1
    extension = dict(groups)["EXTENSION"]
    missing = [n for n in REQUIRED_EXTENSION_NAMES if n not in extension]
    if missing:
        sys.stderr.write("extension group lacks " + ", ".join(missing) + "\n")
        return 1

    with open(registry, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()

    lines = [
        "// Generated by tools/gen_gl_entrypoints.py; do not edit by hand.",
        "// Command (from the repository root):",
        f"//   python3 tools/gen_gl_entrypoints.py {registry} {output}",
        f"// Registry: {os.path.basename(registry)}, sha256 {digest}",
        "//",
        "// X-macro list of the entry points the binding looks up by name, one macro per group.",
        "// Define the macros you need before including; the others expand to nothing.",
        "// Counts: " + ", ".join(f"{g} {counts[g]}" for g, _ in groups) + ".",
        "",
    ]
    for g, _ in groups:
        macro = f"LUMENPAD_{g}_ENTRY"
        lines += [f"#ifndef {macro}", f"#define {macro}(name)", "#endif"]
    for g, names in groups:
        macro = f"LUMENPAD_{g}_ENTRY"
        lines.append("")
        lines.append(f"// {g}: {len(names)}")
        lines += [f"{macro}({n})" for n in names]
    lines.append("")
    for g, _ in groups:
        lines.append(f"#undef LUMENPAD_{g}_ENTRY")

    text = "\n".join(lines) + "\n"
    if check:
        try:
            with open(output, newline="") as f:
                current = f.read()
        except OSError as e:
            sys.stderr.write(f"{output}: {e}\n")
            return 1
        if current != text:
            sys.stderr.write(f"{output} is out of date; rerun without --check\n")
            return 1
        return 0
    with open(output, "w", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
