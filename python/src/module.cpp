// SPDX-License-Identifier: MIT
#include <pybind11/pybind11.h>
#include <reuseblocks/fields.h>
#include <reuseblocks/version.h>

#include "bindings.h"
#include "text.h"
#include "values.h"

namespace {

template <std::size_t N>
pybind11::tuple NamesTuple(const std::array<std::string_view, N>& names) {
    pybind11::tuple tuple(N);
    for (std::size_t index = 0; index < N; ++index)
        tuple[index] = pybind11::str(names[index].data(), names[index].size());
    return tuple;
}

}  // namespace

PYBIND11_MODULE(_core, module) {
    module.doc() = "The reuseblocks library: blocks files in memory, loaded and written.";
    module.attr("__version__") = REUSEBLOCKS_VERSION_STRING;
    module.attr("PROPERTY_NAMES") = NamesTuple(reuseblocks::kPropertyNames);
    module.attr("LAYER_MAP_COLUMN_NAMES") = NamesTuple(reuseblocks::kLayerMapColumnNames);
    module.def(
        "_unwritable",
        [](const pybind11::str& field, const pybind11::str& value) {
            namespace python = reuseblocks::python;
            const std::string name = python::FromPython(field, "a field name");
            const std::string text = python::FromPython(value, "a value");
            if (const auto property = reuseblocks::FindProperty(name)) {
                return python::UnwritableReason(text, python::PlaceOfProperty(*property));
            }
            if (const auto column = reuseblocks::FindLayerMapColumn(name)) {
                return python::UnwritableReason(text, python::PlaceOfColumn(*column));
            }
            throw pybind11::value_error("no field is named " + name);
        },
        pybind11::arg("field"), pybind11::arg("value"),
        "Why no blocks file can hold value as field (a property or column name), or ''.");
    reuseblocks::python::BindBlock(module);
    reuseblocks::python::BindBlocksFile(module);
}
