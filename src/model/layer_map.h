// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_LAYER_MAP_H
#define REUSEBLOCKS_MODEL_LAYER_MAP_H

#include "reuseblocks/reuseblocks.h"

// One layer-map row: a fixed set of columns in one allocation.
struct CReuseBlock::LayerMap {
    std::array<CString, kLayerMapColumnCount> columns;
};

#endif  // REUSEBLOCKS_MODEL_LAYER_MAP_H
