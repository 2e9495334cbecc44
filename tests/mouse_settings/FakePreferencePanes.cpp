// Stands in for the private framework: it exports the natural-scrolling function and counts
// the calls so the tests can see them.
#include <atomic>

namespace {
std::atomic<int> calls{0};
std::atomic<bool> lastValue{false};
}  // namespace

extern "C" {
void setSwipeScrollDirection(bool natural) {
    lastValue = natural;
    ++calls;
}
int fakeSwipeCalls() {
    return calls;
}
bool fakeSwipeLastValue() {
    return lastValue;
}
}
