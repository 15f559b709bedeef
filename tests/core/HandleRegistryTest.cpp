#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/HandleRegistry.h"

namespace {

struct Thing {
    int id;
};

std::vector<int> handlesOf(const HandleRegistry<Thing> &registry) {
    std::vector<int> handles;
    for (const auto &entry : registry.entries())
        handles.push_back(entry.first);
    return handles;
}

} // namespace

TEST(HandleRegistry, IssuesOneWhenEmptyElseTheLargestPlusTwo) {
    Thing things[8] = {};
    HandleRegistry<Thing> registry;
    EXPECT_EQ(registry.add(&things[0]), 1);
    EXPECT_EQ(registry.add(&things[1]), 3);
    EXPECT_EQ(registry.add(&things[2]), 5);

    // A freed number comes back only when it was the largest...
    EXPECT_TRUE(registry.remove(3));
    EXPECT_EQ(registry.add(&things[3]), 7);
    EXPECT_TRUE(registry.remove(7));
    EXPECT_TRUE(registry.remove(5));
    EXPECT_EQ(registry.add(&things[4]), 3);
    EXPECT_TRUE(registry.remove(3));
    EXPECT_EQ(registry.add(&things[5]), 3);

    // ... or when the registry has emptied.
    EXPECT_TRUE(registry.remove(1));
    EXPECT_TRUE(registry.remove(3));
    EXPECT_TRUE(registry.entries().empty());
    EXPECT_EQ(registry.add(&things[6]), 1);
    EXPECT_EQ(registry.find(1), &things[6]);
}

TEST(HandleRegistry, LooksUpByExactKeyOnly) {
    Thing a{1}, b{2};
    HandleRegistry<Thing> registry;
    registry.add(&a);
    registry.add(&b);
    EXPECT_EQ(registry.find(1), &a);
    EXPECT_EQ(registry.find(3), &b);
    for (int unknown : {0, 2, 4, 5, -1, -3, INT_MAX, INT_MIN})
        EXPECT_EQ(registry.find(unknown), nullptr) << unknown;
    EXPECT_FALSE(registry.remove(2));
    EXPECT_FALSE(registry.remove(-1));
    EXPECT_TRUE(registry.remove(1));
    EXPECT_FALSE(registry.remove(1)); // freed: unregistered again
    EXPECT_EQ(registry.find(1), nullptr);
    EXPECT_EQ(handlesOf(registry), std::vector<int>({3}));
}

TEST(HandleRegistry, RemovesOnlyTheFirstEntryHoldingAnObject) {
    Thing shared{7}, other{8};
    HandleRegistry<Thing> registry;
    registry.add(&other);  // 1
    registry.add(&shared); // 3
    registry.add(&shared); // 5
    registry.removeFirstHolding(&shared);
    EXPECT_EQ(handlesOf(registry), std::vector<int>({1, 5}));
    registry.removeFirstHolding(&shared);
    registry.removeFirstHolding(&shared); // none left: nothing happens
    EXPECT_EQ(handlesOf(registry), std::vector<int>({1}));
    EXPECT_EQ(registry.find(1), &other);
}
