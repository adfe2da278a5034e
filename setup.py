# SPDX-License-Identifier: MIT
"""Builds the extension with the project's own CMake build, so that it is compiled from the same
sources and flags as the library; the package metadata is in pyproject.toml."""

import os
import re
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build_dir = Path(self.build_temp).resolve() / "cmake"
        package_dir = build_dir / "package"
        try:  # the pybind11 this interpreter sees, when it has one; else CMake's search
            import pybind11
            hint = [f"-Dpybind11_DIR={pybind11.get_cmake_dir()}"]
        except ImportError:
            hint = []
        subprocess.run(
            ["cmake", "-S", str(ROOT), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
             "-DREUSEBLOCKS_BUILD_PYTHON=ON", "-DREUSEBLOCKS_BUILD_TESTS=OFF",
             "-DREUSEBLOCKS_BUILD_EXAMPLES=OFF", "-DREUSEBLOCKS_BUILD_TOOLS=OFF",
             "-DREUSEBLOCKS_INSTALL=OFF", f"-DPython_EXECUTABLE={sys.executable}",
             f"-DREUSEBLOCKS_PYTHON_PACKAGE_DIR={package_dir}"] + hint,
            check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "reuseblocks_python",
                        "-j", jobs], check=True)
        built = next(package_dir.glob("_core.*"))
        target.parent.mkdir(parents=True, exist_ok=True)
        self.copy_file(str(built), str(target))


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(reuseblocks\s+VERSION\s+([0-9.]+)", text).group(1)


setup(
    version=project_version(),
    ext_modules=[Extension("reuseblocks._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
