# SPDX-License-Identifier: MIT
"""The package's build backend (PEP 517 and PEP 660): the extension is built by the project's
own CMake build, from the same sources and flags as the library, and the wheel and the sdist are
made with the standard library alone, so that building needs nothing the interpreter lacks and
never downloads anything. It needs CMake 3.20, a C++17 compiler, pybind11's CMake files and the
interpreter's headers.

Settings, as `pip install . --config-settings NAME=VALUE` (or `python -m build -C NAME=VALUE`),
or from the environment:
  shared-library / REUSEBLOCKS_PYTHON_SHARED_LIBRARY=ON   link the extension to an installed
      shared libreuseblocks (found as CMake's find_package(reuseblocks) finds it, e.g. through
      CMAKE_PREFIX_PATH) instead of compiling the library into it
  build-dir / REUSEBLOCKS_PYTHON_BUILD_DIR=DIR   CMake's build directory, kept for the next
      build (default: a fresh temporary one)
  CMAKE_ARGS   more arguments for CMake's configure step, shell-quoted
  CMAKE_BUILD_PARALLEL_LEVEL   parallel compile jobs (default: the processor count)
"""

from __future__ import annotations

import base64
import gzip
import hashlib
import importlib
import io
import os
import re
import shlex
import stat
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import time
import zipfile
from pathlib import Path
from typing import IO, Iterator, List, Mapping, Optional, Tuple, Union, cast

ROOT = Path(__file__).resolve().parents[2]
NAME = "reuseblocks"
# What the sdist holds: everything the extension's build and the package's tests need.
SDIST_PATHS = ["CMakeLists.txt", "LICENSE", "README.md", "CHANGELOG.md", "pyproject.toml",
               "cmake", "include", "src", "python", "examples"]
SKIPPED_NAMES = {"__pycache__", ".mypy_cache", ".pytest_cache"}
SKIPPED_SUFFIXES = (".pyc", ".so", ".pyd", ".dylib", ".o")

ConfigSettings = Optional[Mapping[str, Union[str, List[str]]]]


def _project_field(pattern: str) -> str:
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(reuseblocks\b(.*?)\)", text, re.S)
    value = re.search(pattern, found.group(1)) if found else None
    if value is None:
        raise RuntimeError(f"CMakeLists.txt: project() has no {pattern}")
    return value.group(1)


def _version() -> str:
    return _project_field(r"VERSION\s+([0-9.]+)")


DESCRIPTION_PATTERN = r'DESCRIPTION\s+"([^"]*)"'


def _metadata() -> str:
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    return "\n".join([
        "Metadata-Version: 2.1",
        f"Name: {NAME}",
        f"Version: {_version()}",
        f"Summary: {_project_field(DESCRIPTION_PATTERN)}",
        "License: MIT",
        "Requires-Python: >=3.8",
        "Classifier: License :: OSI Approved :: MIT License",
        "Classifier: Programming Language :: C++",
        "Classifier: Programming Language :: Python :: 3",
        "Classifier: Typing :: Typed",
        "Provides-Extra: pandas",
        'Requires-Dist: pandas; extra == "pandas"',
        "Description-Content-Type: text/markdown",
        "",
        readme,
    ])


def _setting(config_settings: ConfigSettings, name: str, variable: str) -> Optional[str]:
    value = (config_settings or {}).get(name)
    if isinstance(value, list):
        value = value[-1] if value else None
    return value if value is not None else os.environ.get(variable)


def _is_on(value: Optional[str]) -> bool:
    return (value or "").strip().upper() in {"1", "ON", "TRUE", "YES", "Y"}


# Wheel tags for the running interpreter, as pip computes them for its own.
def _tag() -> str:
    version = f"{sys.version_info[0]}{sys.version_info[1]}"
    if sys.implementation.name == "cpython":
        interpreter = f"cp{version}"
        abi = interpreter + getattr(sys, "abiflags", "")
    else:
        interpreter = f"{sys.implementation.name[:2]}{version}"
        soabi = sysconfig.get_config_var("SOABI") or ""
        abi = "_".join(soabi.split("-")[:2]).replace(".", "_") or "none"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{interpreter}-{abi}-{platform}"


def _build_extension(config_settings: ConfigSettings, build_dir: Path) -> Path:
    """Runs CMake, and returns the directory where it assembled the package."""
    shared = _is_on(_setting(config_settings, "shared-library",
                             "REUSEBLOCKS_PYTHON_SHARED_LIBRARY"))
    package_dir = build_dir / "package" / NAME
    arguments = ["cmake", "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
                 f"-DPython_EXECUTABLE={sys.executable}",
                 f"-DREUSEBLOCKS_PYTHON_PACKAGE_DIR={package_dir}"]
    if shared:
        # python/CMakeLists.txt on its own finds the installed library.
        arguments += ["-S", str(ROOT / "python"), "-DREUSEBLOCKS_PYTHON_SHARED_LIBRARY=ON"]
    else:
        arguments += ["-S", str(ROOT), "-DREUSEBLOCKS_BUILD_PYTHON=ON",
                      "-DREUSEBLOCKS_BUILD_TESTS=OFF", "-DREUSEBLOCKS_BUILD_EXAMPLES=OFF",
                      "-DREUSEBLOCKS_BUILD_TOOLS=OFF", "-DREUSEBLOCKS_INSTALL=OFF"]
    try:  # the pybind11 this interpreter sees, when it has one; else CMake's own search
        pybind11 = importlib.import_module("pybind11")
        arguments.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
    except ImportError:
        pass
    arguments += shlex.split(os.environ.get("CMAKE_ARGS", ""))
    subprocess.run(arguments, check=True)
    jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
    subprocess.run(["cmake", "--build", str(build_dir), "--target", "reuseblocks_python",
                    "--config", "Release", "-j", jobs], check=True)
    return package_dir


class _Build:
    """A CMake build directory: the one asked for, kept, or a temporary one."""

    def __init__(self, config_settings: ConfigSettings) -> None:
        asked = _setting(config_settings, "build-dir", "REUSEBLOCKS_PYTHON_BUILD_DIR")
        self._temporary: Optional[tempfile.TemporaryDirectory[str]] = None
        if asked:
            self.path = Path(asked).resolve()
        else:
            self._temporary = tempfile.TemporaryDirectory(prefix="reuseblocks-")
            self.path = Path(self._temporary.name)

    def __enter__(self) -> Path:
        return self.path

    def __exit__(self, *exception: object) -> None:
        if self._temporary is not None:
            self._temporary.cleanup()


class _Wheel:
    """A wheel being written: every file is hashed into RECORD as it goes in."""

    def __init__(self, directory: str, tag: str) -> None:
        self.name = f"{NAME}-{_version()}-{tag}.whl"
        self.dist_info = f"{NAME}-{_version()}.dist-info"
        self._tag = tag
        self._records: List[str] = []
        self._zip = zipfile.ZipFile(Path(directory) / self.name, "w", zipfile.ZIP_DEFLATED)

    def add(self, name: str, data: bytes, executable: bool = False) -> None:
        info = zipfile.ZipInfo(name, date_time=_zip_time())
        info.external_attr = (0o755 if executable else 0o644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        self._zip.writestr(info, data)
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        self._records.append(f"{name},sha256={digest},{len(data)}")

    def finish(self) -> str:
        self.add(f"{self.dist_info}/METADATA", _metadata().encode("utf-8"))
        self.add(f"{self.dist_info}/WHEEL", (
            "Wheel-Version: 1.0\nGenerator: reuseblocks_build\nRoot-Is-Purelib: false\n"
            f"Tag: {self._tag}\n").encode())
        self.add(f"{self.dist_info}/LICENSE", (ROOT / "LICENSE").read_bytes())
        record = f"{self.dist_info}/RECORD"
        self._zip.writestr(zipfile.ZipInfo(record, date_time=_zip_time()),
                           "\n".join(self._records + [f"{record},,"]) + "\n")
        self._zip.close()
        return self.name


def _epoch() -> int:
    # Reproducible when asked; zip cannot hold times before 1980.
    return max(int(os.environ.get("SOURCE_DATE_EPOCH", time.time())), 315532800)


def _zip_time() -> Tuple[int, int, int, int, int, int]:
    moment = time.gmtime(_epoch())
    return (moment.tm_year, moment.tm_mon, moment.tm_mday, moment.tm_hour, moment.tm_min,
            moment.tm_sec)


def _package_files(package_dir: Path) -> Iterator[Path]:
    # python/CMakeLists.txt lists them beside the package directory.
    listed = package_dir.with_name(package_dir.name + ".files").read_text(encoding="utf-8")
    for name in sorted(filter(None, listed.splitlines())):
        yield package_dir / name


# --- PEP 517 hooks -------------------------------------------------------------------------

def get_requires_for_build_wheel(config_settings: ConfigSettings = None) -> List[str]:
    """Nothing: the standard library makes the wheel."""
    return []


get_requires_for_build_sdist = get_requires_for_build_wheel
get_requires_for_build_editable = get_requires_for_build_wheel


def prepare_metadata_for_build_wheel(metadata_directory: str,
                                     config_settings: ConfigSettings = None) -> str:
    """Writes the .dist-info directory without building anything."""
    dist_info = Path(metadata_directory) / f"{NAME}-{_version()}.dist-info"
    dist_info.mkdir(parents=True, exist_ok=True)
    (dist_info / "METADATA").write_text(_metadata(), encoding="utf-8")
    return dist_info.name


prepare_metadata_for_build_editable = prepare_metadata_for_build_wheel


def build_wheel(wheel_directory: str, config_settings: ConfigSettings = None,
                metadata_directory: Optional[str] = None) -> str:
    """Builds the extension and puts the package in a wheel for this interpreter."""
    with _Build(config_settings) as build_dir:
        package_dir = _build_extension(config_settings, build_dir)
        wheel = _Wheel(wheel_directory, _tag())
        for path in _package_files(package_dir):
            wheel.add(f"{NAME}/{path.name}", path.read_bytes(),
                      executable=path.suffix in (".so", ".pyd"))
        return wheel.finish()


_EDITABLE_FINDER = '''\
# Made by reuseblocks_build for an editable install: the package's Python files come from the
# source tree, its extension from the build directory.
import importlib.util
import sys

_LOCATIONS = {locations!r}


class _Finder:
    @classmethod
    def find_spec(cls, name, path=None, target=None):
        if name != {name!r}:
            return None
        return importlib.util.spec_from_file_location(
            name, _LOCATIONS[0] + "/__init__.py", submodule_search_locations=_LOCATIONS)


sys.meta_path.append(_Finder)
'''


def build_editable(wheel_directory: str, config_settings: ConfigSettings = None,
                   metadata_directory: Optional[str] = None) -> str:
    """A wheel whose package is the source tree's python/reuseblocks, with the extension built
    in build/python-editable (or build-dir): edits to the Python files show at once, and a
    change to the C++ needs this install again."""
    settings = dict(config_settings or {})
    settings.setdefault("build-dir", str(ROOT / "build" / "python-editable"))
    with _Build(settings) as build_dir:
        package_dir = _build_extension(settings, build_dir)
    wheel = _Wheel(wheel_directory, _tag())
    finder = f"_{NAME}_editable"
    locations = [str(ROOT / "python" / NAME), str(package_dir)]
    wheel.add(f"{finder}.py", _EDITABLE_FINDER.format(locations=locations, name=NAME).encode())
    wheel.add(f"{finder}.pth", f"import {finder}\n".encode())
    return wheel.finish()


def _sdist_members(root: Path) -> Iterator[Path]:
    for top in SDIST_PATHS:
        path = root / top
        if path.is_file():
            yield path
            continue
        for directory, subdirectories, files in os.walk(path):
            subdirectories[:] = sorted(name for name in subdirectories
                                       if name not in SKIPPED_NAMES)
            for name in sorted(files):
                if not name.endswith(SKIPPED_SUFFIXES):
                    yield Path(directory) / name


def build_sdist(sdist_directory: str, config_settings: ConfigSettings = None) -> str:
    """A .tar.gz of everything the build and the tests need, with PKG-INFO."""
    top = f"{NAME}-{_version()}"
    name = f"{top}.tar.gz"
    mtime = _epoch()

    def member(path: str, size: int, mode: int) -> tarfile.TarInfo:
        info = tarfile.TarInfo(f"{top}/{path}")
        info.size, info.mode, info.mtime = size, mode, mtime
        info.uname = info.gname = "root"
        return info

    with open(Path(sdist_directory) / name, "wb") as raw, \
            gzip.GzipFile(fileobj=raw, mode="wb", mtime=mtime) as zipped, \
            tarfile.open(fileobj=cast(IO[bytes], zipped), mode="w",
                         format=tarfile.PAX_FORMAT) as tar:
        metadata = _metadata().encode("utf-8")
        tar.addfile(member("PKG-INFO", len(metadata), 0o644), io.BytesIO(metadata))
        for path in _sdist_members(ROOT):
            status = path.lstat()
            if not stat.S_ISREG(status.st_mode):
                raise RuntimeError(f"{path}: the sdist takes regular files only")
            mode = 0o755 if status.st_mode & stat.S_IXUSR else 0o644
            with open(path, "rb") as file:
                tar.addfile(member(path.relative_to(ROOT).as_posix(), status.st_size, mode), file)
    return name
