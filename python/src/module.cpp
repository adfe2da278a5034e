// SPDX-License-Identifier: MIT
#include <pybind11/pybind11.h>
#include <reuseblocks/version.h>

#include "bindings.h"

PYBIND11_MODULE(_core, module) {
    module.doc() = "The reuseblocks library: blocks files in memory, loaded and written.";
    module.attr("__version__") = REUSEBLOCKS_VERSION_STRING;
    reuseblocks::python::BindBlock(module);
    reuseblocks::python::BindBlocksFile(module);
}
