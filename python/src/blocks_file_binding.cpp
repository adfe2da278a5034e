// SPDX-License-Identifier: MIT
// BlocksFile: the collection, loading and writing.
#include <reuseblocks/diagnostics.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <reuseblocks/fields.h>
#include "bindings.h"
#include "errors.h"
#include "text.h"

namespace reuseblocks::python {

namespace {

using CollectionPtr = std::shared_ptr<Collection>;

// The library takes IDs as C strings, so an ID holding NUL can name no block.
std::optional<std::string> IdFromPython(py::handle id) {
    std::string bytes = FromPython(id, "a block ID");
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    return bytes;
}

CReuseBlock* Find(Collection& collection, const std::string& id) {
    CReuseBlock* block = nullptr;
    collection.Blocks(Access::kRead).GetBlock(id.c_str(), block);
    return block;
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

void Write(Collection& collection, py::handle path, py::handle app) {
    const std::string pathBytes = PathFromPython(path);
    const std::string appBytes = app.is_none() ? std::string() : FromPython(app, "app");
    if (appBytes.find_first_of(std::string_view("\0\n\r", 3)) != std::string::npos) {
        throw py::value_error("the application name cannot hold a line break or NUL");
    }
    std::optional<RoundTripProblem> refused;
    int written = 0;
    {
        Collection::Busy busy(collection, Access::kRead);
        py::gil_scoped_release unlocked;
        for (RoundTripProblem& problem : FindRoundTripProblems(busy.Blocks())) {
            if (problem.reasons & kRoundTripLineBreak) {
                refused = std::move(problem);
                break;
            }
        }
        if (!refused) written = busy.Blocks().WriteFile(pathBytes.c_str(), appBytes.c_str());
    }
    if (refused) {
        const py::str message =
            py::str("{} of block {!r}{} {}: a blocks file cannot hold it; nothing was written")
                .format(FieldOf(*refused), ToPython(refused->blockID),
                        refused->row < 0 ? py::str("")
                                         : py::str(", layer-map row {},").format(refused->row),
                        py::str(refused->message));
        PyErr_SetObject(PyExc_ValueError, message.ptr());
        throw py::error_already_set();
    }
    if (written == 0) RaiseWriteError(path);
}

BlockHandle Add(const CollectionPtr& collection, py::handle id, bool init,
                const py::kwargs& fields) {
    const std::optional<std::string> bytes = IdFromPython(id);
    if (!bytes) throw py::value_error("a block ID cannot hold NUL");
    std::vector<std::pair<std::uint32_t, std::string>> values;
    for (const auto& [key, value] : fields) {
        const std::string name = FromPython(key, "a keyword");
        const auto index = reuseblocks::FindProperty(name, reuseblocks::NameCase::kIgnored);
        if (!index || *index == 0) {
            throw py::type_error("add() got an unexpected keyword argument '" + name + "'");
        }
        values.emplace_back(*index, FromPython(value, name.c_str()));
    }
    CReuseBlock* block = collection->AddBlock(bytes->c_str());
    if (block == nullptr) RaiseKeyError(id);
    if (init) block->Init();
    for (auto& [index, value] : values) block->GetProperty(index) = CString(std::move(value));
    return BlockHandle(collection, block);
}

py::list ToList(const CollectionPtr& collection) {
    CReuseBlockFile& blocks = collection->Blocks(Access::kRead);
    std::vector<CReuseBlock*> ordered;
    ordered.reserve(collection->BlockCount());
    for (POSITION position = blocks.GetStartPosition(); position;) {
        ordered.push_back(blocks.GetNext(position));
    }
    const std::uint64_t version = collection->BlockSetVersion();
    const DictKeys keys;
    py::list list;
    for (CReuseBlock* block : ordered) {
        // Making the dicts may run finalizers, and one may remove blocks.
        collection->Blocks(Access::kRead);
        if (collection->BlockSetVersion() != version) {
            throw std::runtime_error("BlocksFile changed size during to_list()");
        }
        list.append(BlockToDict(*block, keys));
    }
    return list;
}

// A walk in the collection's order; like a dict's, it ends with RuntimeError when blocks are
// added or removed meanwhile, since its position may then point at a removed block.
class BlocksIterator {
  public:
    explicit BlocksIterator(CollectionPtr collection)
        : m_collection(std::move(collection)),
          m_position(m_collection->Blocks(Access::kRead).GetStartPosition()),
          m_version(m_collection->BlockSetVersion()) {}

    BlockHandle Next() {
        const CReuseBlockFile& blocks = m_collection->Blocks(Access::kRead);
        if (m_collection->BlockSetVersion() != m_version) {
            throw std::runtime_error("BlocksFile changed size during iteration");
        }
        if (m_position == nullptr) throw py::stop_iteration();
        return BlockHandle(m_collection, blocks.GetNext(m_position));
    }

  private:
    CollectionPtr m_collection;
    POSITION m_position;
    std::uint64_t m_version;
};

}  // namespace

void BindBlocksFile(py::module_& module) {
    py::class_<BlocksIterator>(module, "_BlocksIterator")
        .def("__iter__", [](py::handle self) { return self; })
        .def("__next__", &BlocksIterator::Next);

    py::class_<Collection, CollectionPtr>(module, "BlocksFile", R"doc(
The blocks of one blocks file, by block ID, in the order they were added or loaded.

BlocksFile() is empty; BlocksFile.open(path) loads a file. Indexing by ID gives a Block,
iteration gives every Block in order, `in` tests an ID, del removes a block.)doc")
        .def(py::init<>())
        .def_static(
            "open",
            [](py::handle path) {
                auto collection = std::make_shared<Collection>();
                Load(*collection, path);
                return collection;
            },
            py::arg("path"), "A new BlocksFile loaded from path (str or os.PathLike); see load().")
        .def(
            "load", [](Collection& self, py::handle path) { Load(self, path); }, py::arg("path"),
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
            [](Collection& self, py::handle id) {
                if (!PyUnicode_Check(id.ptr())) return false;
                const auto bytes = IdFromPython(id);
                return bytes && Find(self, *bytes) != nullptr;
            },
            "Whether a block has this ID.")
        .def(
            "__getitem__",
            [](const CollectionPtr& self, py::handle id) {
                const auto bytes = IdFromPython(id);
                CReuseBlock* block = bytes ? Find(*self, *bytes) : nullptr;
                if (block == nullptr) RaiseKeyError(id);
                return BlockHandle(self, block);
            },
            "The Block with this ID; KeyError when there is none.")
        .def(
            "get",
            [](const CollectionPtr& self, py::handle id, py::object fallback) -> py::object {
                const auto bytes = IdFromPython(id);
                CReuseBlock* block = bytes ? Find(*self, *bytes) : nullptr;
                if (block == nullptr) return fallback;
                return py::cast(BlockHandle(self, block));
            },
            py::arg("id"), py::arg("default") = py::none(),
            "The Block with this ID, or default when there is none.")
        .def(
            "__delitem__",
            [](Collection& self, py::handle id) {
                const auto bytes = IdFromPython(id);
                if (!bytes || !self.RemoveBlock(bytes->c_str())) RaiseKeyError(id);
            },
            "Removes the block with this ID; KeyError when there is none. Its Block handles "
            "raise StaleError from now on.")
        .def(
            "__iter__", [](const CollectionPtr& self) { return BlocksIterator(self); },
            "Every Block, in order; RuntimeError when blocks are added or removed meanwhile.")
        .def(
            "ids",
            [](Collection& self) {
                CStringArray ids;
                self.Blocks(Access::kRead).GetBlocksIDs(ids);
                py::list list;
                for (int index = 0; index < ids.GetSize(); ++index) {
                    list.append(ToPython(ids[index].GetView()));
                }
                return list;
            },
            "The IDs of all blocks, in order (a list of str).")
        .def("add", &Add, py::arg("id"), py::kw_only(), py::arg("init") = true,
             R"doc(Adds a block and returns it; KeyError when the ID is taken.

With init (the default) the block gets block_type 'Smashed', block_status 'Unplaced' and
qor_status 'Unprocessed'; keyword arguments (xloc='10', ...) set properties.)doc")
        .def(
            "write",
            [](Collection& self, py::handle path, py::handle app) { Write(self, path, app); },
            py::arg("path"), py::arg("app") = py::none(),
            R"doc(Writes every block to path, atomically, naming app in the header ("Unknown" for None).

Raises ValueError, writing nothing, when a value or app holds a line break, which a blocks file
cannot hold; raises OSError when the file cannot be written, leaving it as it was. The
interpreter lock is released while the file is written.)doc")
        .def(
            "problems",
            [](Collection& self) {
                py::list list;
                for (const RoundTripProblem& problem :
                     FindRoundTripProblems(self.Blocks(Access::kRead))) {
                    list.append(ProblemToPython(problem));
                }
                return list;
            },
            "The values that a write followed by a load would not give back (a list of Problem); "
            "empty when the blocks would come back exactly.")
        .def("to_list", &ToList,
             "Every block as a dict, in order: the shape of `reuseblocks list --json`.")
        .def("__repr__", [](Collection& self) {
            self.Blocks(Access::kRead);
            return "<reuseblocks.BlocksFile of " + std::to_string(self.BlockCount()) + " blocks>";
        });
}

}  // namespace reuseblocks::python
