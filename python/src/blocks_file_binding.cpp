// SPDX-License-Identifier: MIT
// BlocksFile: the collection, loading and writing.
#include <reuseblocks/diagnostics.h>
#include <reuseblocks/edit.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <reuseblocks/fields.h>
#include "bindings.h"
#include "errors.h"
#include "text.h"
#include "typed.h"
#include "values.h"

namespace reuseblocks::python {

namespace {

using CollectionPtr = std::shared_ptr<Collection>;

// The ID a lookup names: none for anything but a str, nor for a str holding NUL, since the
// library takes IDs as C strings; such keys are simply absent, as in a dict.
std::optional<std::string> IdFromPython(py::handle id) {
    if (!PyUnicode_Check(id.ptr())) return std::nullopt;
    std::string bytes;
    try {
        bytes = FromPython(id, "a block ID");
    } catch (py::error_already_set& error) {
        // A surrogate that stands for no byte: no ID of a file can hold it.
        if (!error.matches(PyExc_UnicodeEncodeError)) throw;
        return std::nullopt;
    }
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    return bytes;
}

// An ID a block is given: TypeError unless a str, ValueError when empty or holding NUL.
std::string NewIdFromPython(py::handle id) {
    std::string bytes = FromPython(id, "a block ID");
    if (bytes.empty()) throw py::value_error("a block ID cannot be empty");
    if (bytes.find('\0') != std::string::npos) throw py::value_error("a block ID cannot hold NUL");
    return bytes;
}

// An ID given to a new or renamed block: also refused when no blocks file could hold it.
std::string CheckedNewIdFromPython(py::handle id) {
    std::string bytes = NewIdFromPython(id);
    const std::string reason = UnwritableReason(bytes, ValuePlace::kBlockID);
    if (!reason.empty()) {
        const py::str message =
            py::str("block ID {!r} {}, which a blocks file cannot hold").format(id, reason);
        PyErr_SetObject(PyExc_ValueError, message.ptr());
        throw py::error_already_set();
    }
    return bytes;
}

// `value` as a tuple of `size` items; ValueError saying what it is not otherwise.
py::tuple TupleOf(py::handle value, std::size_t size, const char* what) {
    if (!PyTuple_Check(value.ptr()) ||
        static_cast<std::size_t>(PyTuple_GET_SIZE(value.ptr())) != size) {
        throw py::value_error(std::string("not ") + what);
    }
    return py::reinterpret_borrow<py::tuple>(value);
}

[[noreturn]] void RaiseTaken(py::handle id) {
    const py::str message = py::str("block ID {!r} is already taken").format(id);
    PyErr_SetObject(PyExc_ValueError, message.ptr());
    throw py::error_already_set();
}

CReuseBlock* Find(Collection& collection, const std::string& id) {
    CReuseBlock* block = nullptr;
    collection.Blocks(Access::kRead).GetBlock(id.c_str(), block);
    return block;
}

CReuseBlock* Find(Collection& collection, py::handle id) {
    const auto bytes = IdFromPython(id);
    return bytes ? Find(collection, *bytes) : nullptr;
}

void Load(Collection& collection, py::handle path) {
    const std::string bytes = PathFromPython(path);
    LoadReport report;
    {
        Collection::Busy busy(collection, Access::kChange);
        py::gil_scoped_release unlocked;
        report = LoadFileWithReport(busy.Blocks(), bytes.c_str());
        busy.RecountBlocks();
    }
    if (!report.Succeeded()) RaiseLoadError(path, report);
}

py::str FieldOf(const RoundTripProblem& problem) {
    if (problem.property >= 0) {
        return py::str(
            std::string(reuseblocks::kPropertyNames[static_cast<std::size_t>(problem.property)]));
    }
    return py::str(
        std::string(reuseblocks::kLayerMapColumnNames[static_cast<std::size_t>(problem.column)]));
}

py::object ProblemToPython(const RoundTripProblem& problem) {
    return py::module_::import("reuseblocks._errors")
        .attr("Problem")(ToPython(problem.blockID), FieldOf(problem),
                         problem.row < 0 ? py::object(py::none()) : py::int_(problem.row),
                         py::str(problem.message));
}

py::list ProblemsToPython(const std::vector<RoundTripProblem>& problems) {
    py::list list;
    for (const RoundTripProblem& problem : problems) list.append(ProblemToPython(problem));
    return list;
}

// What WriteFile itself refuses to write, whatever the caller knows.
constexpr unsigned kRefusedReasons = kRoundTripLineBreak;

// Writes `blocks` into the text of `origin`, the file they were opened from, so that its comments,
// header and untouched lines stay; false, having written nothing, when that text can no longer
// be read or no longer loads, which leaves the fresh form to the caller.
bool WriteIntoOrigin(const CReuseBlockFile& blocks, const std::string& origin,
                     const std::string& target, const std::string& application, bool appGiven,
                     WriteReport& report) {
    reuseblocks::UpdateOptions options;
    if (appGiven) options.application = application.empty() ? "Unknown" : application;
    const reuseblocks::UpdateReport update =
        reuseblocks::UpdateFileWithReport(blocks, origin.c_str(), target.c_str(), options);
    using reuseblocks::UpdateResult;
    if (update.result == UpdateResult::kCannotRead ||
        update.result == UpdateResult::kRejectedText) {
        return false;
    }
    if (!update.Succeeded()) {
        report.result = 0;
        report.step = update.step;
        report.systemError = update.systemError;
        report.message = update.message;
    }
    return true;
}

void Write(Collection& collection, py::handle given, py::handle app, bool check, bool fresh) {
    py::object path = py::reinterpret_borrow<py::object>(given);
    if (path.is_none()) {
        if (!collection.Origin()) {
            throw py::value_error("write() needs a path: this BlocksFile was not opened from one");
        }
        const std::string& origin = *collection.Origin();
        path = py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(
            origin.data(), static_cast<Py_ssize_t>(origin.size())));
        if (!path) throw py::error_already_set();
    }
    const std::string pathBytes = PathFromPython(path);
    const std::string appBytes = app.is_none() ? std::string() : FromPython(app, "app");
    if (appBytes.find_first_of(std::string_view("\0\n\r", 3)) != std::string::npos) {
        throw py::value_error("the application name cannot hold a line break or NUL");
    }
    std::vector<RoundTripProblem> refused;
    WriteReport report;
    {
        Collection::Busy busy(collection, Access::kRead);
        py::gil_scoped_release unlocked;
        for (RoundTripProblem& problem : FindRoundTripProblems(busy.Blocks())) {
            if (check || (problem.reasons & kRefusedReasons)) refused.push_back(std::move(problem));
        }
        const bool intoOrigin = refused.empty() && !fresh && collection.Origin() &&
                                WriteIntoOrigin(busy.Blocks(), *collection.Origin(), pathBytes,
                                                appBytes, !app.is_none(), report);
        if (refused.empty() && !intoOrigin) {
            report = WriteFileWithReport(busy.Blocks(), pathBytes.c_str(), appBytes.c_str());
        }
    }
    if (!refused.empty()) RaiseRoundTripError(path, ProblemsToPython(refused), check);
    if (!report.Succeeded()) RaiseWriteError(path, report);
}

BlockHandle Add(const CollectionPtr& collection, const StrArg& idArg, bool init,
                const py::kwargs& fields) {
    const py::handle id = idArg.object;
    const std::string bytes = CheckedNewIdFromPython(id);
    std::vector<std::pair<std::uint32_t, CString>> values;
    for (const auto& [key, value] : fields) {
        const std::string name = FromPython(key, "a keyword");
        const auto index = reuseblocks::FindProperty(name, reuseblocks::NameCase::kIgnored);
        if (!index || *index == 0) {
            throw py::type_error("add() got an unexpected keyword argument '" + name + "'");
        }
        values.emplace_back(*index, CString(FieldValueFromPython(value, kPropertyNames[*index],
                                                                 PlaceOfProperty(*index), bytes)));
    }
    if (Find(*collection, bytes) != nullptr) RaiseTaken(id);
    CReuseBlock* block = collection->AddBlock(bytes.c_str());
    if (block == nullptr) RaiseTaken(id);
    if (init) block->Init();
    for (auto& [index, value] : values) block->GetProperty(index) = std::move(value);
    return BlockHandle(collection, *block);
}

// Checks every rename before any is made: each old ID held once, each new one valid and free
// once the renamed blocks have let go of theirs.
void Rename(Collection& collection, const PairsArg& pairs) {
    std::unordered_map<std::string, std::string> renames;
    std::unordered_map<std::string, py::object> newIds;
    for (py::handle pair : py::iter(pairs.object)) {
        const py::tuple oldAndNew = TupleOf(pair, 2, "an (old ID, new ID) pair");
        const auto old = IdFromPython(oldAndNew[0]);
        if (!old || Find(collection, *old) == nullptr) RaiseKeyError(oldAndNew[0]);
        std::string renamed = CheckedNewIdFromPython(oldAndNew[1]);
        if (!newIds.emplace(renamed, oldAndNew[1]).second) {
            const py::str message = py::str("two blocks would be named {!r}").format(oldAndNew[1]);
            PyErr_SetObject(PyExc_ValueError, message.ptr());
            throw py::error_already_set();
        }
        renames.emplace(*old, std::move(renamed));
    }
    for (const auto& [id, given] : newIds) {
        if (renames.count(id) == 0 && Find(collection, id) != nullptr) RaiseTaken(given);
    }
    for (auto entry = renames.begin(); entry != renames.end();) {
        entry = entry->first == entry->second ? renames.erase(entry) : std::next(entry);
    }
    if (!renames.empty()) collection.Rename(renames);
}

std::vector<CReuseBlock*> InOrder(Collection& collection) {
    CReuseBlockFile& blocks = collection.Blocks(Access::kRead);
    std::vector<CReuseBlock*> ordered;
    ordered.reserve(collection.BlockCount());
    for (POSITION position = blocks.GetStartPosition(); position;) {
        ordered.push_back(blocks.GetNext(position));
    }
    return ordered;
}

// The blocks in order and the version of the set they were taken from: a walk over them checks
// that version before each block, so that Python objects made between taking them and the walk
// (whose finalizers may remove a block) are caught too.
struct OrderedBlocks {
    std::uint64_t version;
    std::vector<CReuseBlock*> blocks;
};

OrderedBlocks TakeInOrder(Collection& collection) {
    std::vector<CReuseBlock*> blocks = InOrder(collection);
    return {collection.BlockSetVersion(), std::move(blocks)};
}

// Runs `visit` on every block of `ordered` with its position. Making Python objects may run
// finalizers, and one may change the collection: then the walk ends with RuntimeError, as a
// dict's does.
template <typename Visit>
void VisitInOrder(Collection& collection, const OrderedBlocks& ordered, const char* what,
                  Visit visit) {
    for (std::size_t position = 0; position < ordered.blocks.size(); ++position) {
        collection.Blocks(Access::kRead);
        if (collection.BlockSetVersion() != ordered.version) {
            throw std::runtime_error(std::string("BlocksFile changed size during ") + what);
        }
        visit(*ordered.blocks[position], position);
    }
}

template <typename Visit>
void VisitInOrder(Collection& collection, const char* what, Visit visit) {
    VisitInOrder(collection, TakeInOrder(collection), what,
                 [&](CReuseBlock& block, std::size_t) { visit(block); });
}

BlockDictList ToList(const CollectionPtr& collection) {
    const DictKeys keys;
    py::list list;
    VisitInOrder(*collection, "to_list()",
                 [&](CReuseBlock& block) { list.append(BlockToDict(block, keys)); });
    return Wrap<BlockDictList>(std::move(list));
}

// Stands for the block symbol among the property indexes a column is asked by.
constexpr std::uint32_t kSymbolField = CReuseBlock::kPropertyCount;

// A column of `size` items, each set once by Fill before Python sees it: a list, or for pandas a
// numpy array written in place through its buffer, which a DataFrame takes without a copy and
// without numpy looking at every item. Made before a walk, since making it may run Python code.
class ColumnBuilder {
  public:
    enum class Kind { kList, kObjects, kInt64 };

    ColumnBuilder(std::size_t size, Kind kind) : m_kind(kind) {
        if (kind == Kind::kList) {
            m_column = py::list(static_cast<py::ssize_t>(size));
            return;
        }
        m_column = py::module_::import("numpy").attr("empty")(
            size, kind == Kind::kObjects ? "object" : "int64");
        auto view = std::make_unique<Py_buffer>();
        if (PyObject_GetBuffer(m_column.ptr(), view.get(),
                               PyBUF_WRITABLE | PyBUF_FORMAT | PyBUF_C_CONTIGUOUS) != 0) {
            throw py::error_already_set();
        }
        m_view.reset(view.release());
        const std::string_view format(m_view->format != nullptr ? m_view->format : "");
        const bool fits =
            m_view->len == static_cast<Py_ssize_t>(size) * m_view->itemsize &&
            (kind == Kind::kObjects ? format == "O" && m_view->itemsize == sizeof(PyObject*)
                                    : (format == "l" || format == "q") && m_view->itemsize == 8);
        if (!fits) throw std::runtime_error("numpy.empty gave an array of another layout");
        m_items = m_view->buf;
    }

    void Fill(std::size_t position, py::object value) {
        if (m_kind == Kind::kList) {
            PyList_SET_ITEM(m_column.ptr(), static_cast<py::ssize_t>(position),
                            value.release().ptr());
            return;
        }
        // numpy.empty filled it with None; dropping that reference runs no Python code.
        PyObject*& item = static_cast<PyObject**>(m_items)[position];
        PyObject* const none = item;
        item = value.release().ptr();
        Py_XDECREF(none);
    }
    void FillNumber(std::size_t position, std::uint32_t number) {
        if (m_kind == Kind::kInt64) {
            const auto value = static_cast<std::int64_t>(number);
            std::memcpy(static_cast<char*>(m_items) + position * sizeof value, &value,
                        sizeof value);
        } else {
            Fill(position, py::int_(number));
        }
    }
    py::object Take() {
        m_view.reset();
        return std::move(m_column);
    }

  private:
    struct Release {
        void operator()(Py_buffer* view) const {
            PyBuffer_Release(view);
            delete view;
        }
    };
    Kind m_kind;
    py::object m_column;
    std::unique_ptr<Py_buffer, Release> m_view;
    void* m_items = nullptr;
};

ColumnBuilder::Kind Texts(bool arrays) {
    return arrays ? ColumnBuilder::Kind::kObjects : ColumnBuilder::Kind::kList;
}
ColumnBuilder::Kind Numbers(bool arrays) {
    return arrays ? ColumnBuilder::Kind::kInt64 : ColumnBuilder::Kind::kList;
}

// The given fields (property indexes, or kSymbolField) of every block, a list per field, in
// file order. Every list is made before the walk, which then makes only str, and making a str
// runs no Python code: no finalizer can change a block halfway.
std::vector<py::object> FieldColumns(Collection& collection, const OrderedBlocks& ordered,
                                     const char* what, const std::vector<std::uint32_t>& fields,
                                     ColumnBuilder::Kind kind) {
    std::vector<ColumnBuilder> columns;
    columns.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        columns.emplace_back(ordered.blocks.size(), kind);
    std::vector<StrCache> caches(fields.size());
    // How many blocks ahead of the one read their values are fetched.
    constexpr std::size_t kAhead = 8;
    VisitInOrder(collection, ordered, what, [&](CReuseBlock& block, std::size_t position) {
        if (position + kAhead < ordered.blocks.size()) {
            const CReuseBlock& ahead = *ordered.blocks[position + kAhead];
            for (const std::uint32_t field : fields) {
                Prefetch(&ahead.GetPropertyRef(field == kSymbolField ? kBlockPath : field));
            }
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            // The symbol is made anew each time; a property is read in place.
            columns[i].Fill(position, caches[i].Get(fields[i] == kSymbolField
                                                        ? block.GetBlockSymbolName().GetView()
                                                        : block.GetProperty(fields[i]).GetView()));
        }
    });
    std::vector<py::object> lists;
    lists.reserve(columns.size());
    for (ColumnBuilder& column : columns) lists.push_back(column.Take());
    return lists;
}

// Every property as a column, a list (or numpy array) per field in field order, then the symbols
// and the numbers of layer-map rows.
ColumnsList Columns(const CollectionPtr& collection, bool arrays) {
    std::vector<std::uint32_t> fields;
    for (std::uint32_t index = 0; index <= kSymbolField; ++index) fields.push_back(index);
    const OrderedBlocks ordered = TakeInOrder(*collection);
    ColumnBuilder maps(ordered.blocks.size(), Numbers(arrays));
    std::vector<py::object> columns =
        FieldColumns(*collection, ordered, "to_dataframe()", fields, Texts(arrays));
    VisitInOrder(*collection, ordered, "to_dataframe()", [&](CReuseBlock& block, std::size_t at) {
        maps.FillNumber(at, block.GetLayerMapCount());
    });
    py::list list;
    for (py::object& column : columns) list.append(std::move(column));
    list.append(maps.Take());
    return Wrap<ColumnsList>(std::move(list));
}

// The property a column names: a field name (case does not matter) or its index in
// PROPERTY_NAMES, negative ones counting from the end as a tuple's do.
std::uint32_t ColumnField(py::handle field) {
    constexpr auto kCount = static_cast<long long>(CReuseBlock::kPropertyCount);
    if (PyLong_Check(field.ptr())) {
        int overflow = 0;
        long long index = PyLong_AsLongLongAndOverflow(field.ptr(), &overflow);
        if (index < 0) index += kCount;
        if (overflow != 0 || index < 0 || index >= kCount) {
            throw py::index_error("property index " + std::string(py::str(field)) +
                                  " out of range; there are " + std::to_string(kCount));
        }
        return static_cast<std::uint32_t>(index);
    }
    const auto index = reuseblocks::FindProperty(FromPython(field, "a field name"),
                                                 reuseblocks::NameCase::kIgnored);
    if (!index) {
        std::string known;
        for (std::string_view name : reuseblocks::kPropertyNames) {
            known += (known.empty() ? "" : ", ") + std::string(name);
        }
        const py::str message =
            py::str("{!r} names no property; the properties are {}").format(field, known);
        RaiseKeyError(message);
    }
    return static_cast<std::uint32_t>(*index);
}

StrList Column(const CollectionPtr& collection, const FieldOrIndexArg& field) {
    const std::uint32_t index = ColumnField(field.object);
    return Wrap<StrList>(FieldColumns(*collection, TakeInOrder(*collection), "column()", {index},
                                      ColumnBuilder::Kind::kList)
                             .front());
}

// The layer maps as columns: the block ID of each row, the row's index in its block, then the
// four columns, every row of the file in order.
ColumnsList LayerMapColumns(const CollectionPtr& collection, bool arrays) {
    constexpr std::uint32_t kColumns = CReuseBlock::kLayerMapColumnCount;
    const OrderedBlocks ordered = TakeInOrder(*collection);
    std::size_t rowTotal = 0;
    for (CReuseBlock* block : ordered.blocks) rowTotal += block->GetLayerMapCount();
    ColumnBuilder ids(rowTotal, Texts(arrays)), numbers(rowTotal, Numbers(arrays));
    std::vector<ColumnBuilder> columns;
    columns.reserve(kColumns);
    for (std::uint32_t column = 0; column < kColumns; ++column) {
        columns.emplace_back(rowTotal, Texts(arrays));
    }
    std::vector<StrCache> caches(kColumns);
    std::size_t next = 0;
    // As in FieldColumns, the walk makes only str and int, which run no Python code.
    VisitInOrder(*collection, ordered, "to_dataframes()", [&](CReuseBlock& block, std::size_t) {
        const std::uint32_t rowCount = block.GetLayerMapCount();
        if (rowCount == 0) return;
        if (rowCount > rowTotal - next) {
            throw std::runtime_error("BlocksFile changed during to_dataframes()");
        }
        const py::str id = ToPython(block.GetProperty(0).GetView());
        for (std::uint32_t row = 0; row < rowCount; ++row, ++next) {
            ids.Fill(next, id);
            numbers.FillNumber(next, row);
            for (std::uint32_t column = 0; column < kColumns; ++column) {
                columns[column].Fill(next,
                                     caches[column].Get(block.GetLayerMap(row, column).GetView()));
            }
        }
    });
    if (next != rowTotal) throw std::runtime_error("BlocksFile changed during to_dataframes()");
    py::list list;
    list.append(ids.Take());
    list.append(numbers.Take());
    for (ColumnBuilder& column : columns) list.append(column.Take());
    return Wrap<ColumnsList>(std::move(list));
}

// The pickled form: (1, [(12 properties, ((4 columns), ...)), ...]).
StateArg GetState(const CollectionPtr& collection) {
    py::list blocks;
    VisitInOrder(*collection, "pickling", [&](CReuseBlock& block) {
        // Every value becomes a str before any tuple is made: making a str runs no Python code,
        // whereas making a tuple may run a garbage collection, whose finalizers may change
        // this very block.
        constexpr std::uint32_t kColumns = CReuseBlock::kLayerMapColumnCount;
        const std::uint32_t rowCount = block.GetLayerMapCount();
        std::vector<py::object> values;
        values.reserve(CReuseBlock::kPropertyCount + std::size_t{rowCount} * kColumns);
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            values.push_back(ToPython(block.GetProperty(index).GetView()));
        }
        for (std::uint32_t row = 0; row < rowCount; ++row) {
            for (std::uint32_t column = 0; column < kColumns; ++column) {
                values.push_back(ToPython(block.GetLayerMap(row, column).GetView()));
            }
        }
        auto next = values.begin();
        py::tuple properties(CReuseBlock::kPropertyCount);
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            properties[index] = std::move(*next++);
        }
        py::tuple rows(rowCount);
        for (std::uint32_t row = 0; row < rowCount; ++row) {
            py::tuple columns(kColumns);
            for (std::uint32_t column = 0; column < kColumns; ++column) {
                columns[column] = std::move(*next++);
            }
            rows[row] = std::move(columns);
        }
        blocks.append(py::make_tuple(std::move(properties), std::move(rows)));
    });
    return Wrap<StateArg>(py::make_tuple(1, std::move(blocks)));
}

// A pickle may come from anyone: it gets the checks of add() and of a row.
CollectionPtr SetState(const StateArg& given) {
    constexpr const char* kNotState = "the pickled state of a BlocksFile";
    const py::tuple state = TupleOf(given.object, 2, kNotState);
    const py::object version = state[0];
    if (!version.equal(py::int_(1))) throw py::value_error(kNotState);
    auto collection = std::make_shared<Collection>();
    for (py::handle entry : py::iter(state[1])) {
        const py::tuple block = TupleOf(entry, 2, kNotState);
        const py::tuple properties = TupleOf(block[0], CReuseBlock::kPropertyCount, kNotState);
        std::array<CString, CReuseBlock::kPropertyCount> values;
        for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
            values[index] =
                CString(FromPython(properties[index], reuseblocks::kPropertyNames[index].data()));
        }
        const std::string id = NewIdFromPython(properties[0]);
        CReuseBlock* added = Find(*collection, id) ? nullptr : collection->AddBlock(id.c_str());
        if (added == nullptr) RaiseTaken(properties[0]);
        for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
            added->GetProperty(index) = std::move(values[index]);
        }
        for (py::handle row : py::iter(block[1])) {
            collection->InsertRow(*added, added->GetLayerMapCount(), RowFromPython(row));
        }
    }
    return collection;
}

// A walk in the collection's order; like a dict's, it ends with RuntimeError when blocks are
// added or removed meanwhile, since its position may then point at a removed block.
class BlocksIterator {
  public:
    enum class Yield { kBlocks, kIds, kItems };

    BlocksIterator(CollectionPtr collection, Yield yield)
        : m_collection(std::move(collection)),
          m_position(m_collection->Blocks(Access::kRead).GetStartPosition()),
          m_version(m_collection->BlockSetVersion()),
          m_yield(yield) {}

    py::object Next() {
        const CReuseBlockFile& blocks = m_collection->Blocks(Access::kRead);
        if (m_collection->BlockSetVersion() != m_version) {
            throw std::runtime_error("BlocksFile changed size during iteration");
        }
        if (m_position == nullptr) throw py::stop_iteration();
        CReuseBlock& block = *blocks.GetNext(m_position);
        if (m_yield == Yield::kIds) return ToPython(block.GetBlockID().GetView());
        py::object id;
        if (m_yield == Yield::kItems) id = ToPython(block.GetBlockID().GetView());
        // Making the handle may run finalizers: the block is not touched after it.
        py::object handle = py::cast(BlockHandle(m_collection, block));
        if (m_yield == Yield::kBlocks) return handle;
        return py::make_tuple(std::move(id), std::move(handle));
    }

  private:
    CollectionPtr m_collection;
    POSITION m_position;
    std::uint64_t m_version;
    Yield m_yield;
};

}  // namespace

void BindBlocksFile(py::module_& module) {
    py::class_<BlocksIterator>(module, "_BlocksIterator")
        .def("__iter__", [](py::handle self) { return self; })
        .def("__next__", &BlocksIterator::Next);

    py::class_<Collection, CollectionPtr>(module, "BlocksFile", R"doc(
The blocks of one blocks file, by block ID, in the order they were added or loaded.

BlocksFile() is empty; BlocksFile.open(path) loads a file. It maps IDs to Blocks as a dict does
(len, in, [], del, get, pop, keys, values, items), except that iterating it gives the Blocks,
in order. It pickles and copies, Blocks with it.)doc")
        .def(py::init<>())
        .def_static(
            "_open",
            [](const PathArg& path) {
                auto collection = std::make_shared<Collection>();
                Load(*collection, path.object);
                collection->SetOrigin(PathFromPython(path.object));
                return collection;
            },
            py::arg("path"))
        .def(
            "load", [](Collection& self, const PathArg& path) { Load(self, path.object); },
            py::arg("path"),
            R"doc(Adds the blocks of the file at path (str or os.PathLike).

On a rejected line raises LoadError (a ValueError) with .code (-2 to -5), .name, .line,
.message and .path; the blocks accepted before that line stay. A file that cannot be read raises
UnreadableFileError, a LoadError that is also an OSError (code -1, with errno). The interpreter
lock is released while the file is read.)doc")
        .def(
            "__len__",
            [](Collection& self) {
                self.Blocks(Access::kRead);
                return self.BlockCount();
            },
            "The number of blocks.")
        .def(
            "__contains__",
            [](Collection& self, const py::object& id) { return Find(self, id) != nullptr; },
            py::arg("id"), "Whether a block has this ID.")
        .def(
            "__getitem__",
            [](const CollectionPtr& self, const StrArg& id) {
                CReuseBlock* block = Find(*self, id.object);
                if (block == nullptr) RaiseKeyError(id.object);
                return BlockHandle(self, *block);
            },
            py::arg("id"), "The Block with this ID; KeyError when there is none.")
        .def(
            "get",
            [](const CollectionPtr& self, const StrArg& id, const py::object& fallback) {
                CReuseBlock* block = Find(*self, id.object);
                if (block == nullptr) return Wrap<BlockOrDefault>(fallback);
                return Wrap<BlockOrDefault>(py::cast(BlockHandle(self, *block)));
            },
            py::arg("id"), py::arg("default") = py::none(),
            "The Block with this ID, or default when there is none.")
        .def(
            "__delitem__",
            [](Collection& self, const StrArg& id) {
                const auto bytes = IdFromPython(id.object);
                if (!bytes || !self.RemoveBlock(bytes->c_str())) RaiseKeyError(id.object);
            },
            py::arg("id"),
            "Removes the block with this ID; KeyError when there is none. Its Block handles "
            "raise StaleError from now on.")
        .def(
            "__iter__",
            [](const CollectionPtr& self) {
                return Wrap<BlockIterator>(
                    py::cast(BlocksIterator(self, BlocksIterator::Yield::kBlocks)));
            },
            "Every Block, in order; RuntimeError when blocks are added or removed meanwhile.")
        .def("_iter_ids",
             [](const CollectionPtr& self) {
                 return Wrap<IdIterator>(
                     py::cast(BlocksIterator(self, BlocksIterator::Yield::kIds)));
             })
        .def("_iter_items",
             [](const CollectionPtr& self) {
                 return Wrap<ItemIterator>(
                     py::cast(BlocksIterator(self, BlocksIterator::Yield::kItems)));
             })
        .def(
            "ids",
            [](Collection& self) {
                CStringArray ids;
                self.Blocks(Access::kRead).GetBlocksIDs(ids);
                py::list list;
                for (int index = 0; index < ids.GetSize(); ++index) {
                    list.append(ToPython(ids[index].GetView()));
                }
                return Wrap<StrList>(std::move(list));
            },
            "The IDs of all blocks, in order (a list of str).")
        .def("add", &Add, py::arg("id"), py::kw_only(), py::arg("init") = true,
             R"doc(Adds a block and returns it; ValueError when the ID is empty or taken.

With init (the default) the block gets block_type 'Smashed', block_status 'Unplaced' and
qor_status 'Unprocessed'; keyword arguments (xloc='10', xloc=10, ...) set properties, an int or
float as the shortest text that reads back as the same number. A value that no blocks file can
hold (empty, white space, a line break, a quote, ...) raises ValueError naming the block and the
field, anything but str, int and float TypeError; nothing is added then. Properties not given
stay unset, and write() names every one still unset.)doc")
        .def("_rename", &Rename, py::arg("pairs"))
        .def(
            "_copy_of",
            [](const CollectionPtr& self, const StrArg& id) {
                CReuseBlock* block = Find(*self, id.object);
                if (block == nullptr) RaiseKeyError(id.object);
                const std::string copiedId(block->GetBlockID().GetView());
                auto copy = std::make_shared<Collection>();
                CReuseBlock* added = copy->AddBlock(copiedId.c_str());
                if (added == nullptr) RaiseTaken(id.object);
                for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
                    added->GetProperty(index) = block->GetProperty(index);
                }
                for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
                    const std::uint32_t to = added->NewLayerMap();
                    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount;
                         ++column) {
                        added->GetLayerMap(to, column) = block->GetLayerMap(row, column);
                    }
                }
                return copy;
            },
            py::arg("id"))
        .def(
            "__eq__",
            [](Collection& self, Collection& other) {
                if (&self == &other) return true;
                const std::vector<CReuseBlock*> ours = InOrder(self);
                const std::vector<CReuseBlock*> theirs = InOrder(other);
                if (ours.size() != theirs.size()) return false;
                for (std::size_t index = 0; index < ours.size(); ++index) {
                    if (!SameContents(*ours[index], *theirs[index])) return false;
                }
                return true;
            },
            py::is_operator(), py::arg("other"),
            "Whether the other BlocksFile holds equal blocks in the same order.")
        // Hashed as before equality compared contents, so that sets and dicts of BlocksFiles go
        // on working for a while; equal files may hash apart, so this is going away.
        .def("__hash__",
             [](const Collection& self) {
                 if (PyErr_WarnEx(PyExc_DeprecationWarning,
                                  "BlocksFile compares by contents and will become unhashable; "
                                  "key by id() instead",
                                  1) != 0) {
                     throw py::error_already_set();
                 }
                 return static_cast<Py_hash_t>(reinterpret_cast<std::uintptr_t>(&self) >> 4);
             })
        .def(
            "write",
            [](Collection& self, const OptionalPathArg& path, const OptionalStrArg& app, bool check,
               bool fresh) { Write(self, path.object, app.object, check, fresh); },
            py::arg("path") = Wrap<OptionalPathArg>(py::none()),
            py::arg("app") = Wrap<OptionalStrArg>(py::none()), py::kw_only(),
            py::arg("check") = true, py::arg("fresh") = false,
            R"doc(Writes every block to path, atomically.

Without a path, writes back to the file BlocksFile.open() read. A file opened from a path is
written into that file's own text: its header, comments, blank lines and every line of a block
that did not change stay byte for byte, changed blocks get their lines in the library's form,
removed blocks take their lines with them and new ones go after the last block; app, when
given, rewrites the header's application and date lines; a write that changes nothing leaves
the file untouched. fresh=True (and any file not opened from a path, or whose file no longer
loads) writes the library's fresh form instead: a new header naming app ("Unknown" for None),
then every block.

Checks first that every value would read back the same, and raises RoundTripError (a
ValueError) naming each that would not, writing nothing; check=False writes them anyway,
except a line break, which a blocks file cannot hold at all. Raises OSError when the file cannot
be written, leaving it as it was. The interpreter lock is released while the file is written.)doc")
        .def(
            "problems",
            [](Collection& self) {
                return Wrap<ProblemList>(
                    ProblemsToPython(FindRoundTripProblems(self.Blocks(Access::kRead))));
            },
            "The values that a write followed by a load would not give back (a list of Problem); "
            "empty when the blocks would come back exactly.")
        .def("to_list", &ToList,
             "Every block as a dict, in order: the shape of `reuseblocks list --json`.")
        .def("_columns", &Columns, py::arg("arrays") = false)
        .def("_layer_map_columns", &LayerMapColumns, py::arg("arrays") = false)
        .def("column", &Column, py::arg("field"),
             R"doc(One property of every block as a list of str, in file order.

field is a field name as in PROPERTY_NAMES ("XLOC"; case does not matter) or its index there,
negative ones counting from the end. KeyError for an unknown name, IndexError for an index out
of range. Much faster than reading the property block by block.)doc")
        .def(py::pickle(&GetState, &SetState))
        .def("__repr__", [](Collection& self) {
            self.Blocks(Access::kRead);
            return "<reuseblocks.BlocksFile of " + std::to_string(self.BlockCount()) + " blocks>";
        });
}

}  // namespace reuseblocks::python
