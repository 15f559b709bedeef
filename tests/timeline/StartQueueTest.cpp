#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timeline/StartQueue.h"

namespace {

// The queue never looks behind its media pointers, so letters stand in for members.
IMedia *tag(char letter) {
    return reinterpret_cast<IMedia *>(uintptr_t(letter));
}

// Empties the queue, writing "<letter><time>" for each entry in the order removed ("-" for
// a forgotten entry).
std::string drain(StartQueue &queue) {
    std::string order;
    while (!queue.empty()) {
        const StartQueue::Entry &root = queue.root();
        order += root.media ? char(uintptr_t(root.media)) : '-';
        order += std::to_string(int(root.time));
        queue.removeRoot();
    }
    return order;
}

} // namespace

TEST(StartQueue, SmallestTimeFirstWhateverThePushOrder) {
    StartQueue queue;
    const std::vector<int> times = {7, 3, 9, 1, 8, 2, 6, 4, 5, 10};
    for (size_t i = 0; i < times.size(); ++i)
        queue.push(times[i], tag(char('a' + i)));
    EXPECT_EQ(queue.size(), 10u);
    EXPECT_EQ(drain(queue), "d1f2b3h4i5g6a7e8c9j10");
    queue.removeRoot(); // empty: nothing to do
    EXPECT_TRUE(queue.empty());
}

TEST(StartQueue, EqualTimesComeOutInTheOrderTheHeapRulesGive) {
    // A pushed entry rises past an equal parent, so three equal times come out last first.
    StartQueue equal;
    equal.push(3, tag('A'));
    equal.push(3, tag('B'));
    equal.push(3, tag('C'));
    EXPECT_EQ(drain(equal), "C3B3A3");

    // Pushes give [D1 B1 C2 A2]. Removing D takes A2 out and sinks the hole to the left
    // (B1 beats C2); A2 fills it: [B1 A2 C2]. Removing B takes C2 out, the hole sinks to
    // A2's place, and C2 put there rises past the equal A2: [C2 A2].
    StartQueue mixed;
    mixed.push(2, tag('A'));
    mixed.push(1, tag('B'));
    mixed.push(2, tag('C'));
    mixed.push(1, tag('D'));
    EXPECT_EQ(drain(mixed), "D1B1C2A2");

    // [E1 F2 G2 H5]. Removing E takes H5 out and sinks the hole into the left child on
    // the F2/G2 tie: [F2 H5 G2]; taking the right one would have put G before F.
    StartQueue tie;
    tie.push(1, tag('E'));
    tie.push(2, tag('F'));
    tie.push(2, tag('G'));
    tie.push(5, tag('H'));
    EXPECT_EQ(drain(tie), "E1F2G2H5");
}

TEST(StartQueue, ForgottenEntriesKeepTheirPlaceAndStartNothing) {
    StartQueue queue;
    queue.push(2, tag('A'));
    queue.push(1, tag('B'));
    queue.push(2, tag('C'));
    queue.push(1, tag('D'));
    queue.push(4, tag('C'));
    queue.forget(tag('C'));
    EXPECT_EQ(drain(queue), "D1B1A2-2-4"); // as "D1B1A2C2C4" would come without forget

    queue.push(1, tag('X'));
    queue.clear();
    EXPECT_TRUE(queue.empty());
}
