#pragma once
// Intrusive doubly linked lists. The items carry their own links, so the
// lists never allocate; an item is in at most one list at a time. They hold
// the loop's handlers and timers, protocol layers, child waiters and the free
// bodies of the packet pool.
#include <cstddef>
#include <utility>

template <class T> class F_dual_list;

template <class T>
class F_dual_list_item {
public:
    T* next() const { return next_; }
    T* prev() const { return prev_; }

protected:
    F_dual_list_item() = default;
    // Copies never take the links along: a copy is not in any list.
    F_dual_list_item(F_dual_list_item const&) {}
    F_dual_list_item& operator=(F_dual_list_item const&) { return *this; }
    ~F_dual_list_item() = default;

private:
    friend class F_dual_list<T>;
    T* next_ = nullptr;
    T* prev_ = nullptr;
};

template <class T>
class F_dual_list {
public:
    class iterator {
    public:
        explicit iterator(T* item = nullptr) : item_(item) {}
        T* operator*() const { return item_; }
        T* operator->() const { return item_; }
        iterator& operator++() { item_ = link(item_).next_; return *this; }
        bool operator==(iterator const& o) const { return item_ == o.item_; }
        bool operator!=(iterator const& o) const { return item_ != o.item_; }
    private:
        T* item_;
    };

    F_dual_list() = default;
    F_dual_list(F_dual_list const&) = delete;
    F_dual_list& operator=(F_dual_list const&) = delete;

    void push_back(T* item) { insert_to_tail(item); }

    void insert_to_tail(T* item)
    {
        link(item).prev_ = tail_;
        link(item).next_ = nullptr;
        if (tail_)
            link(tail_).next_ = item;
        else
            head_ = item;
        tail_ = item;
        ++count_;
    }

    void insert_to_head(T* item)
    {
        link(item).next_ = head_;
        link(item).prev_ = nullptr;
        if (head_)
            link(head_).prev_ = item;
        else
            tail_ = item;
        head_ = item;
        ++count_;
    }

    // Inserts item right after `after`; a null `after` means at the head.
    void insert_after(T* after, T* item)
    {
        if (!after) {
            insert_to_head(item);
            return;
        }
        T* following = link(after).next_;
        link(item).prev_ = after;
        link(item).next_ = following;
        link(after).next_ = item;
        if (following)
            link(following).prev_ = item;
        else
            tail_ = item;
        ++count_;
    }

    // The caller must know that item is in this list.
    void remove(T* item)
    {
        T* p = link(item).prev_;
        T* n = link(item).next_;
        if (p)
            link(p).next_ = n;
        else
            head_ = n;
        if (n)
            link(n).prev_ = p;
        else
            tail_ = p;
        link(item).next_ = link(item).prev_ = nullptr;
        --count_;
    }

    T* remove_from_head()
    {
        T* item = head_;
        if (item)
            remove(item);
        return item;
    }

    // True when item is linked in this list (walks the list).
    bool contains(T const* item) const
    {
        for (T* i = head_; i; i = link(i).next_)
            if (i == item)
                return true;
        return false;
    }

    // Exchanges the contents of the two lists.
    void merge(F_dual_list& other)
    {
        std::swap(head_, other.head_);
        std::swap(tail_, other.tail_);
        std::swap(count_, other.count_);
    }

    unsigned size() const { return count_; }
    unsigned count() const { return count_; }
    bool empty() const { return count_ == 0; }
    T* first() const { return head_; }
    T* last() const { return tail_; }
    iterator begin() const { return iterator(head_); }
    iterator end() const { return iterator(nullptr); }

protected:
    static F_dual_list_item<T>& link(T* item) { return *static_cast<F_dual_list_item<T>*>(item); }
    static F_dual_list_item<T> const& link(T const* item) { return *static_cast<F_dual_list_item<T> const*>(item); }

    T* head_ = nullptr;
    T* tail_ = nullptr;
    unsigned count_ = 0;
};

// A list kept in ascending order by T::compare(T const*), which returns the
// signed difference of two keys (so wrapping keys, like millisecond clocks,
// order correctly while they lie less than half their range apart).
template <class T>
class F_sorted_list : public F_dual_list<T> {
public:
    // Walks from the tail toward the head and inserts after the first item
    // that does not sort after the new one: equal keys keep insertion order.
    void insert_to_tail_by_grown(T* item)
    {
        // An item before the head (a timer due now) would walk the whole list.
        if (this->head_ && this->head_->compare(item) > 0) {
            this->insert_to_head(item);
            return;
        }
        T* at = this->tail_;
        while (at && at->compare(item) > 0)
            at = at->prev();
        this->insert_after(at, item);
    }
};
