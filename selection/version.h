// Version of the selection library.
#pragma once

#define KASELECT_VERSION_MAJOR 1
#define KASELECT_VERSION_MINOR 3
#define KASELECT_VERSION_PATCH 2
