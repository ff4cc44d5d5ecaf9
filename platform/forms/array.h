// The runtime's fixed-bound arrays (Dim a(0 To 10)): an index outside the bounds raises 9
// "Subscript out of range" instead of touching memory that is not the array's.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/win/error.h"

namespace forms {

template <class T>
class BoundedArray {
public:
    BoundedArray(long lower, long upper)
        : lower_(lower), items_(upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0) {}

    long LBound() const { return lower_; }
    long UBound() const { return lower_ + static_cast<long>(items_.size()) - 1; }

    T& operator()(long index) { return items_[Slot(index)]; }
    const T& operator()(long index) const { return items_[Slot(index)]; }

    // ReDim: new bounds, every element reset (ReDim Preserve keeps the common part).
    void ReDim(long lower, long upper, bool preserve = false) {
        std::vector<T> items(upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0);
        if (preserve) {
            for (long i = std::max(lower, lower_); i <= std::min(upper, UBound()); ++i) {
                items[static_cast<std::size_t>(i - lower)] = std::move(items_[Slot(i)]);
            }
        }
        lower_ = lower;
        items_ = std::move(items);
    }

private:
    std::size_t Slot(long index) const {
        if (index < lower_ || index > UBound()) win::Raise(win::err::SubscriptOutOfRange);
        return static_cast<std::size_t>(index - lower_);
    }

    long lower_;
    std::vector<T> items_;
};

}  // namespace forms
