// SPDX-License-Identifier: MIT
#include "field_names.h"

namespace reuseblocks::tool {

std::string PropertyNameList() {
    std::string list;
    for (const std::string_view name : kPropertyNames) {
        if (!list.empty()) list += ' ';
        list += name;
    }
    return list;
}

}  // namespace reuseblocks::tool
