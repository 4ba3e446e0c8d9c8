// Loops over a count that may reach INT32_MAX.
#pragma once

// The indices 1..n (none when n < 1), for `for (int i : oneTo(n))`. The
// counter runs in 64 bits: a count a container holds may be INT32_MAX (a
// host column of INT32_MAX cells), and `for (int i = 1; i <= n; ++i)` then
// overflows its counter after the last cell.
class oneTo {
public:
    explicit oneTo(int n) : end_(n < 1 ? 1 : n + 1LL) {}

    class iterator {
    public:
        explicit iterator(long long i) : i_(i) {}
        int operator*() const { return static_cast<int>(i_); }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const iterator& other) const { return i_ != other.i_; }

    private:
        long long i_;
    };
    iterator begin() const { return iterator(1); }
    iterator end() const { return iterator(end_); }

private:
    long long end_;
};
