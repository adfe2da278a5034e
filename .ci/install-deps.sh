#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, tests, tool, benchmarks, fuzzers and the Debian package
# build (debian/control's Build-Depends) need, only when something is missing.
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev llvm-14 libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev nlohmann-json3-dev pkg-config valgrind git
          g++-mingw-w64-x86-64 wine64 util-linux
          python3 python3-dev python3-venv python3-pybind11 pybind11-dev python3-pytest
          python3-build python3-pandas mypy
          librsvg2-bin clang-format-14 jq nodejs neovim
          gcc mono-mcs mono-runtime fp-compiler
          dpkg-dev fakeroot file lintian mandoc abigail-tools bash-completion
          debhelper dh-python)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
