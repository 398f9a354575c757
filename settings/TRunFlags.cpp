// SPDX-License-Identifier: MIT
#include "settings/TRunFlags.h"

TRunFlags RunFlags;
