#pragma once
// An intrusive circular doubly linked list. The node is embedded in the
// objects it links; one node serves as the list head. An empty list, or a
// node in no list, points to itself both ways. The list never allocates and
// owns nothing: linking and unlinking are up to the users.
//
//     head.InternalAdd(&item.node, head.prev, &head);   // append at the tail
//     CyclicList::InternalDel(item.node.prev, item.node.next);
//     item.node.InternalInit();
namespace Containers {

class CyclicList {
public:
    CyclicList() { InternalInit(); }
    // A copy is in no list.
    CyclicList(CyclicList const&) { InternalInit(); }
    CyclicList& operator=(CyclicList const&) { return *this; }

    // Points the node to itself: an empty list.
    void InternalInit() { next = prev = this; }
    // Links node between prev and next, which must be neighbours.
    static void InternalAdd(CyclicList* node, CyclicList* prev, CyclicList* next)
    {
        node->prev = prev;
        node->next = next;
        prev->next = node;
        next->prev = node;
    }
    // Links prev and next to each other, dropping whatever lay between.
    static void InternalDel(CyclicList* prev, CyclicList* next)
    {
        prev->next = next;
        next->prev = prev;
    }

    bool empty() const { return next == this; }

    // Walks the nodes following a head; end() is the head itself.
    template <class Ref, class Ptr>
    class TIterator {
    public:
        explicit TIterator(Ptr node = nullptr) : node_(node) {}
        TIterator& operator++()
        {
            node_ = node_->next;
            return *this;
        }
        Ref operator*() const { return *node_; }
        Ptr operator->() const { return node_; }
        bool operator==(TIterator const& o) const { return node_ == o.node_; }
        bool operator!=(TIterator const& o) const { return node_ != o.node_; }

    private:
        Ptr node_;
    };

    using iterator = TIterator<CyclicList&, CyclicList*>;
    using const_iterator = TIterator<CyclicList const&, CyclicList const*>;

    iterator begin() { return iterator(next); }
    iterator end() { return iterator(this); }
    const_iterator begin() const { return const_iterator(next); }
    const_iterator end() const { return const_iterator(this); }

    CyclicList* next;
    CyclicList* prev;
};

} // namespace Containers
