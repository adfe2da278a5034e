// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_BINDINGS_H
#define REUSEBLOCKS_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

#include <array>
#include <string>

#include "collection.h"

namespace reuseblocks::python {

namespace py = pybind11;

void BindBlock(py::module_& module);
void BindBlocksFile(py::module_& module);

// The keys of the dicts below, made once for a whole list of blocks.
struct DictKeys {
    DictKeys();
    std::array<py::str, CReuseBlock::kPropertyCount> properties;
    std::array<py::str, CReuseBlock::kLayerMapColumnCount> columns;
    py::str symbol{"symbol"}, propertiesKey{"properties"}, layerMaps{"layer_maps"};
};

// The block as a dict of the shape `reuseblocks list --json` prints.
py::dict BlockToDict(CReuseBlock& block, const DictKeys& keys);

// "XLOC" -> "xloc": the Python attribute of a field.
std::string AttributeName(std::string_view field);

// Whether two blocks hold the same twelve properties and the same rows in the same order.
bool SameContents(CReuseBlock& one, CReuseBlock& other);

[[noreturn]] void RaiseKeyError(py::handle key);

// The four columns of a row, from a sequence of four str; TypeError for anything else.
RowValues RowFromPython(py::handle values);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_BINDINGS_H
