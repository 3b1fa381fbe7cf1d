// stack.cpp -- out-of-line members of a fixed-size stack
#include <cstddef>
#include <stdexcept>
#include "stack.h"

namespace {
const std::size_t kDefaultCapacity = 16;
}

Stack::Stack()
{
    data_ = new int[kDefaultCapacity];
    capacity_ = kDefaultCapacity;
}

Stack::Stack(std::size_t capacity) : data_(new int[capacity]), size_(0), capacity_(capacity)
{
}

Stack::~Stack()
{
    delete[] data_;
}

void Stack::push(int v)
{
    if (size_ == capacity_) throw std::overflow_error("stack full (push)");
    data_[size_++] = v;
}

int Stack::pop()
{
    if (size_ == 0) throw std::underflow_error("stack empty");
    return data_[--size_];
}

std::size_t Stack::size() const
{
    return size_;
}

bool Stack::empty() const noexcept { return size_ == 0; }

void util::detail::log_stack(const Stack& s)
{
    std::printf("stack of %zu\n", s.size());
}

template <typename T>
T Box<T>::get()
{
    return value_;
}
