// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_TYPED_H
#define REUSEBLOCKS_PYTHON_TYPED_H

// Arguments and results that pass between Python and the binding as they are, but that the
// signatures in docstrings and help() name by the type they stand for ("str"), where pybind11
// would say "handle" or "object". The binding still checks what it is given.

#include <pybind11/pybind11.h>

namespace reuseblocks::python {

namespace py = pybind11;

template <typename Name>
struct Typed {
    py::object object;
};

#define REUSEBLOCKS_PYTHON_TYPE(Alias, text)                        \
    struct Alias##Name {                                            \
        static constexpr auto kName = py::detail::const_name(text); \
    };                                                              \
    using Alias = Typed<Alias##Name>

REUSEBLOCKS_PYTHON_TYPE(StrArg, "str");
REUSEBLOCKS_PYTHON_TYPE(OptionalStrArg, "str | None");
REUSEBLOCKS_PYTHON_TYPE(PathArg, "str | bytes | os.PathLike[str] | os.PathLike[bytes]");
REUSEBLOCKS_PYTHON_TYPE(OptionalPathArg,
                        "str | bytes | os.PathLike[str] | os.PathLike[bytes] | None");
REUSEBLOCKS_PYTHON_TYPE(IndexArg, "int");
REUSEBLOCKS_PYTHON_TYPE(FieldOrIndexArg, "str | int");
REUSEBLOCKS_PYTHON_TYPE(FieldValueArg, "str | int | float");
REUSEBLOCKS_PYTHON_TYPE(RowArg, "tuple[str, str, str, str]");
REUSEBLOCKS_PYTHON_TYPE(PairsArg, "Iterable[tuple[str, str]]");
REUSEBLOCKS_PYTHON_TYPE(
    StateArg, "tuple[int, list[tuple[tuple[str, ...], tuple[tuple[str, str, str, str], ...]]]]");
REUSEBLOCKS_PYTHON_TYPE(StrList, "list[str]");
REUSEBLOCKS_PYTHON_TYPE(ColumnsList, "list[list[str] | list[int]]");
REUSEBLOCKS_PYTHON_TYPE(ProblemList, "list[reuseblocks.Problem]");
REUSEBLOCKS_PYTHON_TYPE(BlockDictResult, "reuseblocks.BlockDict");
REUSEBLOCKS_PYTHON_TYPE(BlockDictList, "list[reuseblocks.BlockDict]");
REUSEBLOCKS_PYTHON_TYPE(RowDict, "dict[str, str]");
REUSEBLOCKS_PYTHON_TYPE(BlockIterator, "Iterator[reuseblocks.Block]");
REUSEBLOCKS_PYTHON_TYPE(IdIterator, "Iterator[str]");
REUSEBLOCKS_PYTHON_TYPE(ItemIterator, "Iterator[tuple[str, reuseblocks.Block]]");
REUSEBLOCKS_PYTHON_TYPE(StrIterator, "Iterator[str]");
REUSEBLOCKS_PYTHON_TYPE(BoolResult, "bool");
REUSEBLOCKS_PYTHON_TYPE(BlockOrDefault, "reuseblocks.Block | object");

#undef REUSEBLOCKS_PYTHON_TYPE

template <typename Result>
Result Wrap(py::object object) {
    return Result{std::move(object)};
}

}  // namespace reuseblocks::python

namespace pybind11::detail {

template <typename Name>
struct type_caster<reuseblocks::python::Typed<Name>> {
    PYBIND11_TYPE_CASTER(reuseblocks::python::Typed<Name>, Name::kName);

    bool load(handle source, bool) {
        value.object = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const reuseblocks::python::Typed<Name>& source, return_value_policy,
                       handle) {
        return source.object.inc_ref();
    }
};

}  // namespace pybind11::detail

#endif  // REUSEBLOCKS_PYTHON_TYPED_H
