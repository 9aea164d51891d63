#pragma once

#include <cstddef>

// The byte that ends a page.
inline constexpr unsigned char formFeed = 12;

// How many form feeds data[0, size) holds.
std::size_t countFormFeeds(const unsigned char *data, std::size_t size);

// Index of the nth form feed (n >= 1) in data[0, size), or size when the
// block holds fewer than n.
std::size_t findFormFeed(const unsigned char *data, std::size_t size, std::size_t n);
