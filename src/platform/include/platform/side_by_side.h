// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_SIDE_BY_SIDE_H
#define REUSEBLOCKS_PLATFORM_SIDE_BY_SIDE_H

#include <array>
#include <cstddef>
#include <future>
#include <system_error>
#include <type_traits>
#include <utility>

namespace reuseblocks::detail::platform {

// `work(half, first, last)` over the items [0, count) in two halves, 0 then 1, and their results
// in that order. From `sideBySide` items on, half 1 runs on a thread of its own beside half 0;
// below it, or when no thread is to be had, half 0 takes everything on the calling thread and
// half 1 an empty range. Each half should write only to its own results.
template <typename Work>
auto InHalves(std::size_t count, std::size_t sideBySide, Work&& work)
    -> std::array<std::invoke_result_t<Work&, int, std::size_t, std::size_t>, 2> {
    using Result = std::invoke_result_t<Work&, int, std::size_t, std::size_t>;
    std::size_t middle = count;
    std::future<Result> second;
    if (count >= sideBySide && count >= 2) {
        try {
            second = std::async(std::launch::async,
                                [&work, count] { return work(1, count / 2, count); });
            middle = count / 2;
        } catch (const std::system_error&) {
            // No thread to be had: all on this one.
        }
    }
    Result first = work(0, std::size_t{0}, middle);
    if (second.valid()) return {std::move(first), second.get()};
    return {std::move(first), work(1, count, count)};
}

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_SIDE_BY_SIDE_H
