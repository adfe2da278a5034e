// SPDX-License-Identifier: MIT
// Block, its layer-map rows and the sequence of them.
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include <reuseblocks/ascii.h>
#include <reuseblocks/fields.h>
#include "bindings.h"
#include "errors.h"
#include "text.h"
#include "typed.h"
#include "values.h"

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

// An index as Python takes one: any integer or object with __index__. Converting it runs Python
// code, which may remove or change any block: convert before looking a block up.
Py_ssize_t IndexFromPython(py::handle index) {
    const Py_ssize_t value = PyNumber_AsSsize_t(index.ptr(), PyExc_IndexError);
    if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
    return value;
}

// A row index, negative from the end; IndexError when out of range.
std::uint32_t RowIndex(CReuseBlock& block, Py_ssize_t row) {
    const Py_ssize_t count = block.GetLayerMapCount();
    if (row < 0) row += count;
    if (row < 0 || row >= count) throw py::index_error("layer-map row index out of range");
    return static_cast<std::uint32_t>(row);
}

// Where list.insert would put a value: clamped to the ends.
std::uint32_t InsertionIndex(CReuseBlock& block, Py_ssize_t row) {
    const Py_ssize_t count = block.GetLayerMapCount();
    if (row < 0) row = std::max<Py_ssize_t>(row + count, 0);
    return static_cast<std::uint32_t>(std::min(row, count));
}

std::string IdOf(const BlockHandle& handle) {
    return std::string(handle.Get().GetBlockID().GetView());
}

// The four columns of a row given to `block`, each converted and checked as a property is.
RowValues CheckedRowFromPython(py::handle values, const std::string& blockId) {
    if (PyUnicode_Check(values.ptr()) || PyBytes_Check(values.ptr()) ||
        !PySequence_Check(values.ptr())) {
        throw py::type_error("a layer-map row is four values");
    }
    const py::sequence sequence = py::reinterpret_borrow<py::sequence>(values);
    if (py::len(sequence) != CReuseBlock::kLayerMapColumnCount) {
        throw py::value_error("a layer-map row has 4 columns, not " +
                              std::to_string(py::len(sequence)));
    }
    RowValues row;
    for (std::uint32_t column = 0; column < row.size(); ++column) {
        row[column] = FieldValueFromPython(sequence[column], kLayerMapColumnNames[column],
                                           PlaceOfColumn(column), blockId);
    }
    return row;
}

std::uint32_t PropertyIndex(py::handle field) {
    const auto index = reuseblocks::FindProperty(FromPython(field, "a field name"),
                                                 reuseblocks::NameCase::kIgnored);
    if (!index) RaiseKeyError(field);
    return *index;
}

py::tuple RowValuesOf(CReuseBlock& block, std::uint32_t row) {
    std::array<py::object, CReuseBlock::kLayerMapColumnCount> values;
    for (std::uint32_t column = 0; column < values.size(); ++column) {
        values[column] = ToPython(block.GetLayerMap(row, column).GetView());
    }
    return py::make_tuple(values[0], values[1], values[2], values[3]);
}

py::tuple RowValuesOf(const RowHandle& row) {
    const std::uint32_t index = row.Index();
    return RowValuesOf(row.Block().Get(), index);
}

py::str RowRepr(const RowHandle& row) {
    try {
        const std::uint32_t index = row.Index();
        CReuseBlock& block = row.Block().Get();
        const py::str id = ToPython(block.GetBlockID().GetView());
        const py::tuple values = RowValuesOf(block, index);
        return py::str("<reuseblocks.LayerMap {} of {!r}: {}>")
            .format(index, id, py::str(" ").attr("join")(values));
    } catch (const py::error_already_set&) {
        return py::str("<reuseblocks.LayerMap (removed)>");
    }
}

py::dict RowToDict(CReuseBlock& block, std::uint32_t row) {
    const py::tuple values = RowValuesOf(block, row);
    const DictKeys keys;
    py::dict columns;
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        columns[keys.columns[column]] = values[column];
    }
    return columns;
}

void BindRow(py::module_& module) {
    py::class_<RowHandle> row(module, "LayerMap", R"doc(
One layer-map row of a block: a layer of the block's design paired with a layer of the host
design. Its four columns are attributes, and it unpacks and compares as the tuple of them. It
follows its row when rows before it are removed or inserted, and raises StaleError once the row
or its block has been removed.)doc");
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        const std::string field(reuseblocks::kLayerMapColumnNames[column]);
        row.def_property(
            AttributeName(field).c_str(),
            [column](const RowHandle& self) {
                const std::uint32_t index = self.Index();
                return ToPython(self.Block().Get().GetLayerMap(index, column).GetView());
            },
            [column, field](const RowHandle& self, py::handle value) {
                CString text(
                    FieldValueFromPython(value, field, PlaceOfColumn(column), IdOf(self.Block())));
                const std::uint32_t index = self.Index(Access::kChange);
                self.Block().Get().GetLayerMap(index, column) = std::move(text);
            },
            (field + ": " + kColumnMeanings[column] +
             " (str; an int or float is stored as its text).")
                .c_str());
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
            return Wrap<RowDict>(RowToDict(self.Block().Get(), index));
        },
        "The row as {COLUMN_NAME: value}, as `reuseblocks show --json` prints it.");
    row.def(
        "__iter__",
        [](const RowHandle& self) { return Wrap<StrIterator>(py::iter(RowValuesOf(self))); },
        "The four columns, in file order.");
    row.def(
        "__eq__",
        [](const RowHandle& self, const py::object& other) {
            if (py::isinstance<RowHandle>(other)) {
                const py::tuple others = RowValuesOf(other.cast<const RowHandle&>());
                return Wrap<BoolResult>(py::bool_(RowValuesOf(self).equal(others)));
            }
            if (PyTuple_Check(other.ptr())) {
                return Wrap<BoolResult>(py::bool_(RowValuesOf(self).equal(other)));
            }
            return Wrap<BoolResult>(py::reinterpret_borrow<py::object>(Py_NotImplemented));
        },
        py::is_operator(), py::arg("other"),
        "Whether the other row, or tuple, holds the same four values.");
    row.attr("__hash__") = py::none();  // mutable, and equal to tuples
    row.def("__repr__", &RowRepr);
}

bool SameBlocks(const BlockHandle& a, const BlockHandle& b) {
    // A removed block has no contents left: it equals only its own handles.
    if (a == b || a.IsStale() || b.IsStale()) return a == b;
    return SameContents(a.Get(), b.Get());
}

py::str BlockRepr(const BlockHandle& self) {
    if (self.IsStale()) return py::str("<reuseblocks.Block (removed)>");
    // Every str is made before any formatting runs Python code.
    CReuseBlock& block = self.Get();
    const py::str id = ToPython(block.GetBlockID().GetView());
    const py::str path = ToPython(block.GetProperty(kBlockPath).GetView());
    const py::str status = ToPython(block.GetProperty(kBlockStatus).GetView());
    const py::str x = ToPython(block.GetProperty(kXLoc).GetView());
    const py::str y = ToPython(block.GetProperty(kYLoc).GetView());
    const py::str side = ToPython(block.GetProperty(kSide).GetView());
    const std::uint32_t rows = block.GetLayerMapCount();
    return py::str(
               "<reuseblocks.Block {!r} block_path={!r} block_status={!r} xloc={!r} "
               "yloc={!r} side={!r}, {} layer map{}>")
        .format(id, path, status, x, y, side, rows, rows == 1 ? "" : "s");
}

void BindRowAccess(py::class_<BlockHandle>& block) {
    block.def("_row_count", [](const BlockHandle& self) { return self.Get().GetLayerMapCount(); });
    block.def("_row", [](const BlockHandle& self, const IndexArg& index) {
        const Py_ssize_t at = IndexFromPython(index.object);
        return RowHandle(self, RowIndex(self.Get(), at));
    });
    block.def("_set_row", [](const BlockHandle& self, const IndexArg& index, const RowArg& values) {
        const Py_ssize_t given = IndexFromPython(index.object);
        RowValues row = CheckedRowFromPython(values.object, IdOf(self));
        std::array<CString, CReuseBlock::kLayerMapColumnCount> texts;
        for (std::uint32_t column = 0; column < texts.size(); ++column) {
            texts[column] = CString(std::move(row[column]));
        }
        CReuseBlock& owner = self.Get(Access::kChange);
        const std::uint32_t at = RowIndex(owner, given);
        for (std::uint32_t column = 0; column < texts.size(); ++column) {
            owner.GetLayerMap(at, column) = std::move(texts[column]);
        }
    });
    block.def("_insert_row",
              [](const BlockHandle& self, const IndexArg& index, const RowArg& values) {
                  const Py_ssize_t given = IndexFromPython(index.object);
                  RowValues row = CheckedRowFromPython(values.object, IdOf(self));
                  CReuseBlock& owner = self.Get(Access::kChange);
                  self.Owner()->InsertRow(owner, InsertionIndex(owner, given), std::move(row));
              });
    block.def("_remove_row", [](const BlockHandle& self, const IndexArg& index) {
        const Py_ssize_t given = IndexFromPython(index.object);
        CReuseBlock& owner = self.Get(Access::kChange);
        self.Owner()->RemoveRow(owner, RowIndex(owner, given));
    });
}

}  // namespace

RowValues RowFromPython(py::handle values) {
    const py::sequence sequence = py::reinterpret_borrow<py::sequence>(values);
    if (!PySequence_Check(values.ptr()) || py::len(sequence) != CReuseBlock::kLayerMapColumnCount) {
        throw py::type_error("a layer-map row is four str");
    }
    RowValues row;
    for (std::uint32_t column = 0; column < row.size(); ++column) {
        row[column] =
            FromPython(sequence[column], reuseblocks::kLayerMapColumnNames[column].data());
    }
    return row;
}

bool SameContents(CReuseBlock& one, CReuseBlock& other) {
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        if (one.GetProperty(index).GetView() != other.GetProperty(index).GetView()) return false;
    }
    const std::uint32_t rows = one.GetLayerMapCount();
    if (rows != other.GetLayerMapCount()) return false;
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            if (one.GetLayerMap(row, column).GetView() != other.GetLayerMap(row, column).GetView())
                return false;
        }
    }
    return true;
}

std::string AttributeName(std::string_view field) {
    std::string name(field);
    for (char& c : name) c = reuseblocks::ascii::ToLower(c);
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
    py::class_<BlockHandle> block(module, "Block", R"doc(
One block of a BlocksFile: twelve text properties and its layer-map rows. Values are str (the
file's bytes as UTF-8 with surrogateescape). A Block keeps its BlocksFile alive, and raises
StaleError once the block has been removed from it. Blocks compare equal when they are the
same block of the same BlocksFile.)doc");
    block.def_property_readonly(
        "id", [](const BlockHandle& self) { return ToPython(self.Get().GetBlockID().GetView()); },
        "BLOCK_HIER_NAME, the block ID; BlocksFile.rename() changes it.");
    block.def_property_readonly(
        "file",
        [](const BlockHandle& self) {
            self.Get();
            return self.Owner();
        },
        "The BlocksFile the block belongs to.");
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        const std::string field(reuseblocks::kPropertyNames[index]);
        block.def_property(
            AttributeName(field).c_str(),
            [index](const BlockHandle& self) {
                return ToPython(self.Get().GetProperty(index).GetView());
            },
            [index, field](const BlockHandle& self, py::handle value) {
                std::string text =
                    FieldValueFromPython(value, field, PlaceOfProperty(index), IdOf(self));
                self.Get(Access::kChange).GetProperty(index) = CString(std::move(text));
            },
            (field + ": " + kPropertyMeanings[index] +
             " (str; an int or float is stored as its text).")
                .c_str());
    }
    block.def(
        "__getitem__",
        [](const BlockHandle& self, const StrArg& field) {
            const std::uint32_t index = PropertyIndex(field.object);
            return ToPython(self.Get().GetProperty(index).GetView());
        },
        py::arg("field"),
        "A property by field name (\"XLOC\"; case does not matter). KeyError for an unknown name.");
    block.def(
        "__setitem__",
        [](const BlockHandle& self, const StrArg& field, const FieldValueArg& value) {
            const std::uint32_t index = PropertyIndex(field.object);
            if (index == 0) {
                throw py::value_error(
                    "BLOCK_HIER_NAME is the block ID; BlocksFile.rename() changes it");
            }
            std::string text = FieldValueFromPython(value.object, kPropertyNames[index],
                                                    PlaceOfProperty(index), IdOf(self));
            self.Get(Access::kChange).GetProperty(index) = CString(std::move(text));
        },
        py::arg("field"), py::arg("value"),
        "Sets a property by field name; an int or float is stored as its text. KeyError for an "
        "unknown name, ValueError for BLOCK_HIER_NAME (see BlocksFile.rename()) and for a value "
        "no blocks file can hold, TypeError for a value that is no str, int or float.");
    block.def_property_readonly(
        "symbol_name",
        [](const BlockHandle& self) { return ToPython(self.Get().GetBlockSymbolName().GetView()); },
        "The last component of block_path: after the last backslash, else after the last '/'.");
    block.def(
        "init", [](const BlockHandle& self) { self.Get(Access::kChange).Init(); },
        "Sets the defaults: block_type 'Smashed', block_status 'Unplaced', qor_status "
        "'Unprocessed'.");
    block.def(
        "to_dict",
        [](const BlockHandle& self) {
            return Wrap<BlockDictResult>(BlockToDict(self.Get(), DictKeys()));
        },
        "The block as {'symbol': ..., 'properties': {FIELD: value}, 'layer_maps': [{COLUMN: "
        "value}, ...]}, the shape of `reuseblocks list --json`.");
    block.def(
        "__eq__", &SameBlocks, py::is_operator(), py::arg("other"),
        "Whether the other Block holds the same twelve properties and the same rows in the same "
        "order, in whichever BlocksFile.");
    // Equal blocks have equal IDs; a rename changes the hash, as changing a key would.
    block.def("__hash__", [](const BlockHandle& self) {
        // A removed block equals only its own handles.
        if (self.IsStale()) return py::hash(py::int_(self.Serial()));
        return py::hash(ToPython(IdOf(self)));
    });
    block.def("__repr__", &BlockRepr);
    BindRowAccess(block);
}

}  // namespace reuseblocks::python
