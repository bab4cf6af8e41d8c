// The import's buffers: growable arrays left uninitialised.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace velmo {
namespace tile_import {

// A growable array whose elements are left uninitialised: the import writes
// every element of its buffers before reading it, and zeroing them would
// cost as much as the work.
template <class T> class Buffer {
public:
    void resize(size_t n)
    {
        if (n > capacity_) {
            data_.reset(new T[n]);
            capacity_ = n;
        }
        size_ = n;
    }
    size_t size() const { return size_; }
    T *data() { return data_.get(); }
    const T *data() const { return data_.get(); }
    T &operator[](size_t i) { return data_[i]; }
    const T &operator[](size_t i) const { return data_[i]; }
    T *begin() { return data_.get(); }
    T *end() { return data_.get() + size_; }
    void swap(Buffer &other)
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    std::unique_ptr<T[]> data_;
    size_t size_ = 0, capacity_ = 0;
};

} // namespace tile_import
} // namespace velmo
