// SPDX-License-Identifier: MIT
// Compiled with -std=c++14 by the dist.cxx14_rejected test, which expects the headers to refuse.
#include <reuseblocks/reuseblocks.h>
