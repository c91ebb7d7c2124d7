#!/usr/bin/env python3
"""Which source folder includes which ("folder/File.h"), one line per folder,
and every include of a folder above the including one in the order of the
folder map (docs/ARCHITECTURE.md). Exit status 1 when there is one.
Usage: scripts/folder-includes.py [SOURCE-ROOT]"""
import collections
import os
import re
import sys

# Lowest first; a folder includes only folders before it.
ORDER = ["platform", "cameras", "telemetry", "track", "trackindex", "trackfile", "vehicle", "config", "panel", "trip",
         "player", "ui", "playlist", "repair", "evidence", "chart", "map", "dialogs", "report", "engine", "app", "tools",
         "tests", "bench"]
# Include roots that are a subfolder of a folder.
ALIASES = {"veltara-track": "tools", "support": "tests"}

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
include = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)
table, upward = {}, []
for folder in ORDER:
    counts = collections.Counter()
    for base, dirs, files in os.walk(os.path.join(root, folder)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(base, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                for target in include.findall(f.read()):
                    target = ALIASES.get(target, target)
                    if target == folder or target not in ORDER:
                        continue
                    counts[target] += 1
                    if ORDER.index(target) > ORDER.index(folder):
                        upward.append(f"{os.path.relpath(path, root)} includes {target}/")
    table[folder] = counts
print("| Folder | Includes (number of includes) |\n|---|---|")
for folder, counts in table.items():
    print(f"| {folder} | " + ", ".join(f"{t} ({n})" for t, n in sorted(counts.items(), key=lambda i: ORDER.index(i[0]))) + " |")
# A folder of code missing from the order would escape the check.
unknown = sorted(d for d in os.listdir(root) if d not in ORDER and not d.startswith(".") and d != "node_modules"
                 and not d.startswith("build") and os.path.isdir(os.path.join(root, d))
                 and any(n.endswith((".h", ".cpp")) for _, _, files in os.walk(os.path.join(root, d)) for n in files))
for line in upward:
    print("upward:", line)
for folder in unknown:
    print("not in the folder order:", folder)
sys.exit(1 if upward or unknown else 0)
