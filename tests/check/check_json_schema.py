#!/usr/bin/env python3
"""lumenpad-check's JSON output against the schema the README documents.

    check_json_schema.py PROGRAM SCHEMA FIXTURE_DIR
"""
import json
import subprocess
import sys

import jsonschema

program, schema_path, fixture = sys.argv[1:4]
run = subprocess.run([program, "--format", "json", "--target", "auto", "--target", "gl:330:core",
                      "shaders/main.frag"], cwd=fixture, capture_output=True, text=True)
if run.returncode != 1:
    sys.exit(f"exit status {run.returncode}, expected 1 (the fixture holds an error):\n{run.stderr}")
document = json.loads(run.stdout)
with open(schema_path, encoding="utf-8") as f:
    jsonschema.validate(document, json.load(f))
located = [d for d in document["diagnostics"] if d["path"] == "shaders/lib/noise.glsl" and d["line"] == 4]
if not located:
    sys.exit("no diagnostic names shaders/lib/noise.glsl line 4")
print(f"{len(document['diagnostics'])} diagnostics, valid against the schema")
