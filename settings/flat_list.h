// An ordered list of plain values (pointers, small structs) that keeps its order on removal. The
// module has no C++ library in its Windows build, so the registry keeps its tables in this
// instead of a std::vector.
#pragma once

#include <stddef.h>
#include <string.h>

template <class T> class FlatList {
    // Elements are moved with memcpy and memmove.
    static_assert(__is_trivially_copyable(T), "a FlatList holds plain values only");

public:
    FlatList() = default;
    FlatList(const FlatList&) = delete;
    FlatList& operator=(const FlatList&) = delete;
    ~FlatList() { delete[] items_; }

    size_t Size() const { return size_; }
    T& At(size_t i) { return items_[i]; }
    const T& At(size_t i) const { return items_[i]; }

    // Makes room for `count` elements; throws the standard allocation exception and leaves the
    // list unchanged when memory runs out, so callers can reserve before they change anything.
    void Reserve(size_t count) {
        if (count <= capacity_)
            return;
        size_t grown = capacity_ < 4 ? 4 : capacity_ * 2;
        if (grown < count)
            grown = count;
        T* items = new T[grown];
        if (size_ > 0)
            memcpy(static_cast<void*>(items), items_, size_ * sizeof(T));
        delete[] items_;
        items_ = items;
        capacity_ = grown;
    }

    void Append(const T& item) {
        Reserve(size_ + 1);
        items_[size_++] = item;
    }

    // Index of the first element equal to `item`, or Size() when there is none.
    size_t IndexOf(const T& item) const {
        for (size_t i = 0; i < size_; ++i)
            if (items_[i] == item)
                return i;
        return size_;
    }

    // Index of the first element for which `match` is true, or Size() when there is none.
    template <class Predicate> size_t IndexWhere(Predicate match) const {
        for (size_t i = 0; i < size_; ++i)
            if (match(items_[i]))
                return i;
        return size_;
    }

    void RemoveAt(size_t i) {
        memmove(static_cast<void*>(items_ + i), items_ + i + 1, (size_ - i - 1) * sizeof(T));
        --size_;
    }

    // Removes every element for which `remove` is true in one pass, keeping the others' order.
    template <class Predicate> void RemoveWhere(Predicate remove) {
        size_t kept = 0;
        for (size_t i = 0; i < size_; ++i)
            if (!remove(items_[i]))
                items_[kept++] = items_[i];
        size_ = kept;
    }

    // Empties the list and gives back its storage.
    void Clear() {
        delete[] items_;
        items_ = nullptr;
        size_ = capacity_ = 0;
    }

private:
    T* items_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
