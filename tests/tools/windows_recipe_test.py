#!/usr/bin/env python3
"""The native Windows recipe, checked on Linux: CMake reads CMakePresets.json
(the MSVC configure preset itself is hidden off Windows, its build and test
presets are listed), and vcpkg.json names a port for every package the CMake
files look up, so a library added on Linux is not forgotten there."""
import json
import pathlib
import re
import subprocess
import sys

source = pathlib.Path(sys.argv[1])

# The package a CMake file finds, and the vcpkg port that provides it; None for
# what does not come from vcpkg (Qt from Qt's installer, the system's threads,
# the Linux desktop's pkg-config look-ups, the test scripts' Python).
PORTS = {
    "Boost": "boost-asio",
    "LibXml2": "libxml2",
    "OpenSSL": "openssl",
    "PNG": "libpng",
    "ZLIB": "zlib",
    "GTest": "gtest",
    "benchmark": "benchmark",
    "nlohmann_json": "nlohmann-json",
    "Qt6": None,
    "Threads": None,
    "PkgConfig": None,
    "Python3": None,
}

failures = []
listed = subprocess.run(["cmake", "--list-presets=all"], cwd=source, capture_output=True, text=True)
if listed.returncode != 0:
    failures.append("cmake --list-presets=all failed: " + listed.stderr.strip())
for kind in ("build", "test"):
    if not re.search(rf'Available {kind} presets:\s+"msvc"', listed.stdout):
        failures.append(f'no {kind} preset "msvc" in:\n{listed.stdout}')

ports = set(json.loads((source / "vcpkg.json").read_text())["dependencies"])
# libpng links zlib, which the Windows build finds as ZLIB through it.
found = {"ZLIB"}
for cmake_file in list(source.rglob("CMakeLists.txt")) + list((source / "cmake").glob("*.cmake")):
    if cmake_file.relative_to(source).parts[0].startswith("build"):
        continue
    found.update(re.findall(r"find_package\((\w+)", cmake_file.read_text()))
for package in sorted(found):
    if package not in PORTS:
        failures.append(f"{package} is looked up but has no vcpkg port in this test's table")
    elif PORTS[package] is not None and PORTS[package] not in ports:
        failures.append(f"{package} is looked up but vcpkg.json lacks the port {PORTS[package]}")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
