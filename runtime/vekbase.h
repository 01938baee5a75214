// Basic types shared by the run-time library, the file-access layer and the toolkit.
#pragma once

#include <cstddef>
#include <cstdint>

// The system's wide character: UTF-16 code units on every platform.
typedef char16_t VynWchar;

// One argument word of the host API, wide enough to carry a pointer.
typedef std::intptr_t VynWord;

// Compare function of the sorts, searches and containers: negative, 0 or positive.
// Depending on the operation it receives item values or element addresses.
typedef int (*VekCompare)(const void* a, const void* b);
typedef int (*VekCompareData)(const void* a, const void* b, void* data);

// Rounds a byte count up to a multiple of 8.
constexpr std::size_t vek_round8(std::size_t n) { return (n + 7) & ~static_cast<std::size_t>(7); }
