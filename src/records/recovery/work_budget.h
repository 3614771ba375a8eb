#pragma once
// A bound on the work of one recovery. Every loop over outside bytes is
// bounded by the file's size, but a hostile file can make each step of such a
// loop costly (a record header claiming thousands of columns at every byte);
// the budget, a fixed multiple of the bytes read, stops the carving there and
// says so, instead of running for hours.
#include <cstdint>

namespace quen::records::recovery {

class WorkBudget {
public:
    explicit WorkBudget(uint64_t units) : left_(units) {}
    // Takes `units`; false once the budget is spent (and from then on).
    bool spend(uint64_t units) {
        if (units > left_) {
            left_ = 0;
            spent_ = true;
            return false;
        }
        left_ -= units;
        return !spent_;
    }
    bool exhausted() const { return spent_; }

private:
    uint64_t left_;
    bool spent_ = false;
};

}  // namespace quen::records::recovery
