// SPDX-License-Identifier: MIT
// Counting and finding form feeds in a block.

#pragma once

#include <cstddef>
#include <span>

// The byte that ends a page.
inline constexpr unsigned char formFeed = 12;

// One way to count form feeds: a plain loop, or one vector instruction set.
struct CountPath {
    const char *name;
    std::size_t (*count)(const unsigned char *data, std::size_t size);
    bool (*runsHere)();
};

// Every way this build can count, slowest first. The fastest that runs on
// this processor is chosen once, at start; the tests run them all.
std::span<const CountPath> countPaths();

// The path countFormFeeds counts with.
const CountPath &chosenCountPath();

// How many form feeds data[0, size) holds.
std::size_t countFormFeeds(const unsigned char *data, std::size_t size);

// Passes up to n form feeds from the start of data[0, size): returns the
// index just after the nth, or size when there are fewer. n is left as the
// number of form feeds still to pass.
std::size_t passFormFeeds(const unsigned char *data, std::size_t size, std::size_t &n);
