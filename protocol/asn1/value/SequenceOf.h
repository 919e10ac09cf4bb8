#pragma once
// ASN.1 SEQUENCE OF and SET OF. SEQUENCE_OF_Base owns the elements, each
// made through the element type's record; the typed templates
// SEQUENCE_OF<T> and SET_OF<T> give typed access and carry their records.
#include "protocol/asn1/value/ConstrainedObject.h"

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <vector>

namespace ASN1 {

class SEQUENCE_OF_Base : public ConstrainedObject {
public:
    // The bounds constrain the element count.
    struct InfoType : ConstrainedObject::InfoType {
        AbstractData::InfoType const* elementInfo;
    };
    typedef std::vector<AbstractData*> Container;

    explicit SEQUENCE_OF_Base(InfoType const* info) : ConstrainedObject(info) {}
    SEQUENCE_OF_Base(SEQUENCE_OF_Base const& other);
    SEQUENCE_OF_Base& operator=(SEQUENCE_OF_Base const& other);
    ~SEQUENCE_OF_Base() override;

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

    unsigned size() const { return static_cast<unsigned>(elements_.size()); }
    bool empty() const { return elements_.empty(); }
    Container const& elements() const { return elements_; }
    AbstractData* elementAt(unsigned i) { return elements_[i]; }
    AbstractData const* elementAt(unsigned i) const { return elements_[i]; }

    // Growing appends default elements; shrinking deletes the surplus.
    void resize(unsigned n);
    void clear();
    // Inserts count copies of value, or copies of [first, last).
    Container::iterator insert(Container::iterator position, unsigned count, AbstractData const& value);
    Container::iterator insert(Container::iterator position, Container::const_iterator first,
                               Container::const_iterator last);
    Container::iterator erase(Container::iterator first, Container::iterator last);
    // Takes ownership of element and appends it.
    void append(AbstractData* element);

    void swap(SEQUENCE_OF_Base& other);

    bool isValid() const;
    bool isStrictlyValid() const;

protected:
    Container& container() { return elements_; }

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    Container elements_;
};

// No size constraint.
struct EmptyConstraint {
    static constexpr ConstraintType type = Unconstrained;
    static constexpr int lowerLimit = 0;
    static constexpr unsigned upperLimit = 4294967295u;
};

template <class T, class Constraint = EmptyConstraint>
class SEQUENCE_OF : public SEQUENCE_OF_Base {
    template <class Value, class Position>
    class Iterator {
    public:
        typedef std::forward_iterator_tag iterator_category;
        typedef Value value_type;
        typedef std::ptrdiff_t difference_type;
        typedef Value* pointer;
        typedef Value& reference;

        explicit Iterator(Position position = Position()) : position_(position) {}
        // An iterator converts to a const_iterator.
        template <class V, class P, class = std::enable_if_t<std::is_convertible_v<P, Position>>>
        Iterator(Iterator<V, P> const& other) : position_(other.position()) {}
        Value& operator*() const { return *boost::polymorphic_downcast<Value*>(*position_); }
        Value* operator->() const { return &**this; }
        Iterator& operator++() { ++position_; return *this; }
        Iterator operator++(int) { Iterator old = *this; ++position_; return old; }
        bool operator==(Iterator const& other) const { return position_ == other.position_; }
        bool operator!=(Iterator const& other) const { return position_ != other.position_; }
        Position position() const { return position_; }

    private:
        Position position_;
    };

public:
    typedef T value_type;
    typedef Iterator<T, Container::iterator> iterator;
    typedef Iterator<T const, Container::const_iterator> const_iterator;

    static InfoType const theInfo;

    SEQUENCE_OF() : SEQUENCE_OF_Base(&theInfo) {}

    // Appends a deep copy of value.
    void push_back(T const& value) { append(value.clone().release()); }
    T& operator[](unsigned i) { return *boost::polymorphic_downcast<T*>(elementAt(i)); }
    T const& operator[](unsigned i) const { return *boost::polymorphic_downcast<T const*>(elementAt(i)); }

    iterator begin() { return iterator(container().begin()); }
    iterator end() { return iterator(container().end()); }
    const_iterator begin() const { return const_iterator(elements().begin()); }
    const_iterator end() const { return const_iterator(elements().end()); }
    iterator erase(iterator position)
    {
        return iterator(SEQUENCE_OF_Base::erase(position.position(), std::next(position.position())));
    }

protected:
    explicit SEQUENCE_OF(InfoType const* info) : SEQUENCE_OF_Base(info) {}
};

template <class T, class Constraint>
SEQUENCE_OF_Base::InfoType const SEQUENCE_OF<T, Constraint>::theInfo = {
    {{&createAs<SEQUENCE_OF<T, Constraint>>, 16}, Constraint::type, Constraint::lowerLimit, Constraint::upperLimit},
    &T::theInfo};

template <class T, class Constraint = EmptyConstraint>
class SET_OF : public SEQUENCE_OF<T, Constraint> {
public:
    static SEQUENCE_OF_Base::InfoType const theInfo;

    SET_OF() : SEQUENCE_OF<T, Constraint>(&theInfo) {}
};

template <class T, class Constraint>
SEQUENCE_OF_Base::InfoType const SET_OF<T, Constraint>::theInfo = {
    {{&createAs<SET_OF<T, Constraint>>, 17}, Constraint::type, Constraint::lowerLimit, Constraint::upperLimit},
    &T::theInfo};

} // namespace ASN1
