// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_POSITION_H
#define REUSEBLOCKS_HOST_POSITION_H

// Opaque walk handle of the collection classes; a null POSITION means the walk is over.
struct CPositionOpaque;
typedef CPositionOpaque* POSITION;

#endif  // REUSEBLOCKS_HOST_POSITION_H
