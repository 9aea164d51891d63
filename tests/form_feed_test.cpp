// SPDX-License-Identifier: MIT
// Unit tests: every way of counting form feeds against a plain count.

#include "form_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

// Names the path in the test's listing.
void PrintTo(const CountPath &path, std::ostream *out) {
    *out << path.name;
}

namespace {

class CountPathTest : public testing::TestWithParam<CountPath> {};

std::string pathName(const testing::TestParamInfo<CountPath> &info) {
    return info.param.name;
}

// Whether the processor the tests run on can run the named path, when that
// is known apart from the probe: an emulated processor's paths are listed in
// PAGERANGE_COUNT_PATHS, as "plain,neon"; on x86 run natively, the kernel's
// list of processor flags names the vector sets.
std::optional<bool> knownToRun(const std::string &name) {
    const char *listed = std::getenv("PAGERANGE_COUNT_PATHS");
    if (listed != nullptr && *listed != '\0') {
        std::string paths = ",";
        paths.append(listed).append(",");
        return paths.find("," + name + ",") != std::string::npos;
    }
#ifdef PAGERANGE_CPU_FLAGS_FILE
    if (name != "sse2" && name != "avx2") return std::nullopt;
    std::ifstream cpuinfo(PAGERANGE_CPU_FLAGS_FILE);
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("flags", 0) == 0) return (line + " ").find(" " + name + " ") != line.npos;
#endif
    return std::nullopt;
}

} // namespace

// Every path this build has, on every processor that can run it, against a
// plain count. The sizes sit on each side of a vector's width, of two
// vectors, and of 255 rounds, where a byte lane would overflow; the contents
// fill every lane, leave them empty, or put the only form feed in a tail.
TEST_P(CountPathTest, MatchesPlainCount) {
    const CountPath path = GetParam();
    // A probe that wrongly says no would only skip the path; one that
    // wrongly says yes would crash the program on a processor without it.
    if (const auto known = knownToRun(path.name)) {
        ASSERT_EQ(path.runsHere(), *known) << "the probe for " << path.name;
    }
    if (!path.runsHere()) GTEST_SKIP() << "this processor cannot run " << path.name;
    // A round is 32, 64 or 128 bytes; 8160, 16320 and 32640 bytes are 255
    // rounds.
    const std::size_t sizes[] = {0,     1,     15,    16,    17,    31,    32,    33,    63,
                                 64,    65,    4096,  8159,  8160,  8161,  8192,  16319, 16320,
                                 16321, 16384, 16385, 32639, 32640, 32641, 48965, 70001};
    std::mt19937 random(12);
    const std::vector<std::string> contents = [&] {
        const std::size_t most = 70001;
        std::string mixed(most, 'x');
        for (char &c : mixed)
            c = random() % 3 == 0 ? '\f' : static_cast<char>(random());
        return std::vector<std::string>{std::string(most, '\f'), std::string(most, 'x'), mixed};
    }();
    for (const std::string &content : contents)
        for (const std::size_t size : sizes)
            for (const std::size_t skew : {0u, 1u}) {
                // Skewed by a byte, so that no load is aligned.
                std::string data = std::string(skew, 'x') + content.substr(0, size);
                const auto *bytes = reinterpret_cast<const unsigned char *>(data.data()) + skew;
                const auto expected =
                    static_cast<std::size_t>(std::count(data.begin(), data.end(), '\f'));
                EXPECT_EQ(path.count(bytes, size), expected)
                    << size << " bytes from " << skew << " of " << content.substr(0, 8);
                if (size == 0) continue;
                // The same with the last byte alone a form feed, or not one.
                std::fill(data.begin(), data.end(), 'x');
                data.back() = '\f';
                EXPECT_EQ(path.count(bytes, size), 1u) << "a form feed last of " << size;
                data.back() = 'y';
                EXPECT_EQ(path.count(bytes, size), 0u) << "none in " << size;
            }
}

INSTANTIATE_TEST_SUITE_P(FormFeeds, CountPathTest, testing::ValuesIn(countPaths()), pathName);

// A path missing from the build, or one passed over, gives the right count
// slowly: the program must count with the fastest path that runs here, and
// have every path an emulated processor is known to run.
TEST(CountPaths, FastestThatRunsIsChosen) {
    const auto paths = countPaths();
    const auto runs = std::find_if(paths.rbegin(), paths.rend(),
                                   [](const CountPath &path) { return path.runsHere(); });
    ASSERT_NE(runs, paths.rend());
    EXPECT_STREQ(chosenCountPath().name, runs->name);
    const char *listed = std::getenv("PAGERANGE_COUNT_PATHS");
    std::string names = listed == nullptr ? "" : listed;
#if defined(__x86_64__) || defined(__i386__)
    names += ",sse2,avx2"; // built for every x86, chosen at run time
#endif
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find(',', at), names.size());
        const std::string name = names.substr(at, end - at);
        EXPECT_TRUE(name.empty() ||
                    std::any_of(paths.begin(), paths.end(),
                                [&](const CountPath &path) { return path.name == name; }))
            << "this build has no " << name << " count";
        at = end + 1;
    }
}
