// The pending starts of a container's members: a binary heap kept in an array, the entry
// with the smallest start time at the root.
//
// The heap rules are fixed rather than left to std::priority_queue, because the order in
// which members with equal start times come out is visible to hosts (they start in that
// order within one update):
// - push: the new entry goes to the end and rises while its time is not greater than its
//   parent's (so it rises past an equal time);
// - removal of the root: the last entry is taken out; the hole at the root sinks to the
//   bottom, each time into the child with the smaller time (the left one on a tie); the
//   taken-out entry is put into the hole and rises by the push rule.
#pragma once

#include <cstddef>
#include <vector>

class IMedia;

class StartQueue {
public:
    struct Entry {
        double time;
        // Null once the member has left the container: the entry then keeps its place in
        // the heap but starts nothing.
        IMedia *media;
    };

    bool empty() const { return _heap.empty(); }
    size_t size() const { return _heap.size(); }
    // The entry with the smallest time. The queue must not be empty.
    const Entry &root() const { return _heap.front(); }

    void push(double time, IMedia *media);
    // Removes the root entry. Does nothing on an empty queue.
    void removeRoot();
    void clear() { _heap.clear(); }
    // Clears the media of every entry naming `media`, leaving the heap's order as it is.
    void forget(const IMedia *media);

private:
    // Moves the entry at `index` up while its time is not greater than its parent's.
    void rise(size_t index);

    std::vector<Entry> _heap;
};
