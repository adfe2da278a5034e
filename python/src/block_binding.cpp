// SPDX-License-Identifier: MIT
// Block, its layer-map rows and the sequence of them.
#include <array>
#include <cctype>
#include <functional>
#include <vector>

#include <reuseblocks/fields.h>
#include "bindings.h"
#include "errors.h"
#include "text.h"

namespace reuseblocks::python {

namespace {

constexpr std::array<const char*, CReuseBlock::kPropertyCount> kPropertyMeanings = {
    "the block ID: the instance name in the design hierarchy",
    "the path of the block symbol",
    "the block type (Smashed, Primitive or Replica)",
    "the placement status (Unplaced, Placed or Planned)",
    "the X location",
    "the Y location",
    "the side the block is placed on",
    "the rotation",
    "the units of the location",
    "the X location in database units",
    "the Y location in database units",
    "the status from the qor (Processed or Unprocessed)",
};

constexpr std::array<const char*, CReuseBlock::kLayerMapColumnCount> kColumnMeanings = {
    "the physical layer order number in the block design",
    "the physical layer name in the block design",
    "the physical layer order number in the host design",
    "the physical layer name in the host design",
};

// The sequence `block.layer_maps`; it holds no rows of its own.
struct LayerMaps {
    BlockHandle block;
};

std::uint32_t RowIndex(const LayerMaps& maps, py::handle index, Access access) {
    const Py_ssize_t count = maps.block.Get(access).GetLayerMapCount();
    Py_ssize_t row = PyNumber_AsSsize_t(index.ptr(), PyExc_IndexError);
    if (row == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (row < 0) row += count;
    if (row < 0 || row >= count) throw py::index_error("layer-map row index out of range");
    return static_cast<std::uint32_t>(row);
}

std::uint32_t PropertyIndex(py::handle field) {
    const auto index = reuseblocks::FindProperty(FromPython(field, "a field name"),
                                                 reuseblocks::NameCase::kIgnored);
    if (!index) RaiseKeyError(field);
    return *index;
}

py::object RowRepr(const RowHandle& row) {
    if (row.Block().IsStale()) return py::str("<reuseblocks.LayerMap (removed)>");
    try {
        const std::uint32_t index = row.Index();
        CReuseBlock& block = row.Block().Get();
        py::list columns;
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            columns.append(ToPython(block.GetLayerMap(index, column).GetView()));
        }
        return py::str("<reuseblocks.LayerMap {} of {!r}: {}>")
            .format(index, ToPython(block.GetBlockID().GetView()),
                    py::str(" ").attr("join")(columns));
    } catch (const py::error_already_set&) {
        return py::str("<reuseblocks.LayerMap (removed)>");
    }
}

py::dict RowToDict(CReuseBlock& block, std::uint32_t row) {
    std::array<py::object, CReuseBlock::kLayerMapColumnCount> values;
    for (std::uint32_t column = 0; column < values.size(); ++column) {
        values[column] = ToPython(block.GetLayerMap(row, column).GetView());
    }
    const DictKeys keys;
    py::dict columns;
    for (std::uint32_t column = 0; column < values.size(); ++column) {
        columns[keys.columns[column]] = values[column];
    }
    return columns;
}

void BindRow(py::module_& module) {
    py::class_<RowHandle> row(module, "LayerMap", R"doc(
One layer-map row of a block: a layer of the block's design paired with a layer of the host
design. It follows its row when earlier rows are removed, and raises StaleError once the row or
its block has been removed.)doc");
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        const std::string field(reuseblocks::kLayerMapColumnNames[column]);
        row.def_property(
            AttributeName(field).c_str(),
            [column](const RowHandle& self) {
                const std::uint32_t index = self.Index();
                return ToPython(self.Block().Get().GetLayerMap(index, column).GetView());
            },
            [column, field](const RowHandle& self, py::handle value) {
                std::string text = FromPython(value, field.c_str());
                const std::uint32_t index = self.Index(Access::kChange);
                self.Block().Get().GetLayerMap(index, column) = CString(std::move(text));
            },
            (field + ": " + kColumnMeanings[column] + " (str).").c_str());
    }
    row.def_property_readonly(
        "index", [](const RowHandle& self) { return self.Index(); },
        "The row's present index in its block's layer_maps.");
    row.def_property_readonly(
        "block",
        [](const RowHandle& self) {
            self.Index();
            return self.Block();
        },
        "The Block the row belongs to.");
    row.def(
        "to_dict",
        [](const RowHandle& self) {
            const std::uint32_t index = self.Index();
            return RowToDict(self.Block().Get(), index);
        },
        "The row as {COLUMN_NAME: value}, as `reuseblocks show --json` prints it.");
    row.def(
        "__eq__", [](const RowHandle& a, const RowHandle& b) { return a == b; }, py::is_operator());
    row.def("__hash__",
            [](const RowHandle& self) { return std::hash<const void*>()(self.Identity()); });
    row.def("__repr__", &RowRepr);
}

void BindLayerMaps(py::module_& module) {
    py::class_<LayerMaps>(module, "LayerMaps", R"doc(
The layer-map rows of a block, in file order: len(), indexing (negative too), iteration, del,
and append(). A view: it always shows the block's present rows.)doc")
        .def(
            "__len__", [](const LayerMaps& self) { return self.block.Get().GetLayerMapCount(); },
            "The number of rows.")
        .def(
            "__getitem__",
            [](const LayerMaps& self, py::handle index) {
                return RowHandle(self.block, RowIndex(self, index, Access::kRead));
            },
            "The row at index; IndexError when out of range.")
        .def(
            "__delitem__",
            [](const LayerMaps& self, py::handle index) {
                const std::uint32_t row = RowIndex(self, index, Access::kChange);
                self.block.Owner()->RemoveRow(self.block.Get(Access::kChange), row);
            },
            "Removes the row at index; later rows move down. IndexError when out of range.")
        .def(
            "__iter__",
            [](py::handle self) {
                PyObject* iterator = PySeqIter_New(self.ptr());
                if (iterator == nullptr) throw py::error_already_set();
                return py::reinterpret_steal<py::iterator>(iterator);
            },
            "Every row, in order.")
        .def(
            "append",
            [](const LayerMaps& self, py::handle blockLayerOrder, py::handle blockLayerName,
               py::handle designOrder, py::handle designLayerName) {
                std::array<std::string, CReuseBlock::kLayerMapColumnCount> values = {
                    FromPython(blockLayerOrder, "block_layer_order"),
                    FromPython(blockLayerName, "block_layer_name"),
                    FromPython(designOrder, "design_order"),
                    FromPython(designLayerName, "design_layer_name")};
                CReuseBlock& block = self.block.Get(Access::kChange);
                const std::uint32_t row = self.block.Owner()->AppendRow(block);
                for (std::uint32_t column = 0; column < values.size(); ++column) {
                    block.GetLayerMap(row, column) = CString(std::move(values[column]));
                }
                return RowHandle(self.block, row);
            },
            py::arg("block_layer_order"), py::arg("block_layer_name"), py::arg("design_order"),
            py::arg("design_layer_name"), "Appends a row and returns it.")
        .def("__repr__", [](const LayerMaps& self) {
            if (self.block.IsStale()) return std::string("<reuseblocks.LayerMaps (removed)>");
            return "<reuseblocks.LayerMaps of " +
                   std::to_string(self.block.Get().GetLayerMapCount()) + " rows>";
        });
}

}  // namespace

std::string AttributeName(std::string_view field) {
    std::string name(field);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

void RaiseKeyError(py::handle key) {
    PyErr_SetObject(PyExc_KeyError, py::make_tuple(key).ptr());
    throw py::error_already_set();
}

DictKeys::DictKeys() {
    for (std::uint32_t index = 0; index < properties.size(); ++index) {
        properties[index] = py::str(std::string(reuseblocks::kPropertyNames[index]));
    }
    for (std::uint32_t column = 0; column < columns.size(); ++column) {
        columns[column] = py::str(std::string(reuseblocks::kLayerMapColumnNames[column]));
    }
}

py::dict BlockToDict(CReuseBlock& block, const DictKeys& keys) {
    // Every value becomes a str first: making a str runs no Python code, whereas making a dict
    // may run a garbage collection, whose finalizers may change this very block.
    std::array<py::object, CReuseBlock::kPropertyCount> properties;
    for (std::uint32_t index = 0; index < properties.size(); ++index) {
        properties[index] = ToPython(block.GetProperty(index).GetView());
    }
    const std::uint32_t rowCount = block.GetLayerMapCount();
    std::vector<py::object> columns;
    columns.reserve(std::size_t{rowCount} * CReuseBlock::kLayerMapColumnCount);
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            columns.push_back(ToPython(block.GetLayerMap(row, column).GetView()));
        }
    }
    py::object symbol = ToPython(block.GetBlockSymbolName().GetView());

    py::dict propertyDict;
    for (std::uint32_t index = 0; index < properties.size(); ++index) {
        propertyDict[keys.properties[index]] = properties[index];
    }
    py::list rows(rowCount);
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        py::dict columnDict;
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            columnDict[keys.columns[column]] =
                columns[std::size_t{row} * CReuseBlock::kLayerMapColumnCount + column];
        }
        rows[row] = columnDict;
    }
    py::dict result;
    result[keys.symbol] = symbol;
    result[keys.propertiesKey] = propertyDict;
    result[keys.layerMaps] = rows;
    return result;
}

void BindBlock(py::module_& module) {
    BindRow(module);
    BindLayerMaps(module);
    py::class_<BlockHandle> block(module, "Block", R"doc(
One block of a BlocksFile: twelve text properties and its layer-map rows. Values are str (the
file's bytes as UTF-8 with surrogateescape). A Block keeps its BlocksFile alive, and raises
StaleError once the block has been removed from it.)doc");
    block.def_property_readonly(
        "id", [](const BlockHandle& self) { return ToPython(self.Get().GetBlockID().GetView()); },
        "BLOCK_HIER_NAME, the block ID (read-only: add a block under the new ID to rename).");
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        const std::string field(reuseblocks::kPropertyNames[index]);
        block.def_property(
            AttributeName(field).c_str(),
            [index](const BlockHandle& self) {
                return ToPython(self.Get().GetProperty(index).GetView());
            },
            [index, field](const BlockHandle& self, py::handle value) {
                std::string text = FromPython(value, field.c_str());
                self.Get(Access::kChange).GetProperty(index) = CString(std::move(text));
            },
            (field + ": " + kPropertyMeanings[index] + " (str).").c_str());
    }
    block.def(
        "__getitem__",
        [](const BlockHandle& self, py::handle field) {
            const std::uint32_t index = PropertyIndex(field);
            return ToPython(self.Get().GetProperty(index).GetView());
        },
        "A property by field name (\"XLOC\"; case does not matter). KeyError for an unknown name.");
    block.def(
        "__setitem__",
        [](const BlockHandle& self, py::handle field, py::handle value) {
            const std::uint32_t index = PropertyIndex(field);
            if (index == 0) {
                throw py::value_error(
                    "BLOCK_HIER_NAME is the block ID and cannot be set; add the block under the "
                    "new ID and remove the old one");
            }
            std::string text = FromPython(value, reuseblocks::kPropertyNames[index].data());
            self.Get(Access::kChange).GetProperty(index) = CString(std::move(text));
        },
        "Sets a property by field name. KeyError for an unknown name, ValueError for "
        "BLOCK_HIER_NAME.");
    block.def_property_readonly(
        "symbol_name",
        [](const BlockHandle& self) { return ToPython(self.Get().GetBlockSymbolName().GetView()); },
        "The last component of block_path: after the last backslash, else after the last '/'.");
    block.def_property_readonly(
        "layer_maps",
        [](const BlockHandle& self) {
            self.Get();
            return LayerMaps{self};
        },
        "The block's layer-map rows (LayerMaps).");
    block.def(
        "init", [](const BlockHandle& self) { self.Get(Access::kChange).Init(); },
        "Sets the defaults: block_type 'Smashed', block_status 'Unplaced', qor_status "
        "'Unprocessed'.");
    block.def(
        "to_dict", [](const BlockHandle& self) { return BlockToDict(self.Get(), DictKeys()); },
        "The block as {'symbol': ..., 'properties': {FIELD: value}, 'layer_maps': [{COLUMN: "
        "value}, ...]}, the shape of `reuseblocks list --json`.");
    block.def(
        "__eq__", [](const BlockHandle& a, const BlockHandle& b) { return a == b; },
        py::is_operator());
    block.def("__hash__",
              [](const BlockHandle& self) { return std::hash<const void*>()(self.Address()); });
    block.def("__repr__", [](const BlockHandle& self) -> py::object {
        if (self.IsStale()) return py::str("<reuseblocks.Block (removed)>");
        return py::str("<reuseblocks.Block {!r}>")
            .format(ToPython(self.Get().GetBlockID().GetView()));
    });
}

}  // namespace reuseblocks::python
