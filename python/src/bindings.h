#ifndef REUSEBLOCKS_PYTHON_BINDINGS_H
#define REUSEBLOCKS_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

#include <string>

#include "collection.h"

namespace reuseblocks::python {

namespace py = pybind11;

void BindBlock(py::module_& module);
void BindBlocksFile(py::module_& module);

// The block as a dict of the shape `reuseblocks list --json` prints.
py::dict BlockToDict(CReuseBlock& block);

// "XLOC" -> "xloc": the Python attribute of a field.
std::string AttributeName(std::string_view field);

[[noreturn]] void RaiseKeyError(py::handle key);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_BINDINGS_H
