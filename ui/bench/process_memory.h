#pragma once

#include <cstddef>

// The process's resident memory in bytes; 0 when the platform will not say.
std::size_t ResidentBytes();
