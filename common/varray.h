// Zero-based arrays that check every index, like the program's dimensioned arrays.
#pragma once

#include <cstddef>
#include <vector>

#include "common/runtime_error.h"

namespace corv {

// Largest element count an array may be dimensioned to; beyond it the request is
// treated as the platform's "Out of memory" rather than attempted.
inline constexpr long kMaxArrayElements = 64L * 1024 * 1024;

template <class T>
class VArray {
public:
    VArray() = default;
    explicit VArray(long upperBound) { redim(upperBound); }

    // Dim / ReDim: indices 0..upperBound, every element cleared.
    void redim(long upperBound)
    {
        checkBound(upperBound);
        data_.assign(static_cast<std::size_t>(upperBound + 1), T{});
    }
    // ReDim Preserve: indices 0..upperBound, existing elements kept.
    void redimPreserve(long upperBound)
    {
        checkBound(upperBound);
        data_.resize(static_cast<std::size_t>(upperBound + 1));
    }
    void erase() { data_.clear(); }

    long ubound() const { return static_cast<long>(data_.size()) - 1; }
    long count() const { return static_cast<long>(data_.size()); }
    bool empty() const { return data_.empty(); }

    T& operator()(long i)
    {
        check(i);
        return data_[static_cast<std::size_t>(i)];
    }
    const T& operator()(long i) const
    {
        check(i);
        return data_[static_cast<std::size_t>(i)];
    }

    // Raw access for bulk work after the caller has checked the range once.
    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }
    const std::vector<T>& vec() const { return data_; }

private:
    void check(long i) const
    {
        if (i < 0 || i >= static_cast<long>(data_.size())) err::raise(err::kSubscript);
    }
    static void checkBound(long upperBound)
    {
        if (upperBound < -1) err::raise(err::kSubscript);
        if (upperBound >= kMaxArrayElements) err::raise(err::kOutOfMemory);
    }
    std::vector<T> data_;
};

}  // namespace corv
