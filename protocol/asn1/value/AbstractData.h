#pragma once
// The base of every ASN.1 value. A message is a tree of values; each value
// points to the constant type-information record of its type, which tells
// how to create components and what constraints, fields and names the type
// has. A value owns its components and copies them deeply. Coders, printers
// and checkers never look into the value classes directly: they are visitors
// that each value accepts.
//
// Every record starts with the header below: the operation that creates a
// default value of the type and the type's universal tag. The creation
// operation always makes an object of the class that typed code will use for
// the value (a generated class, a typed template, IA5String ...), so a value
// made or cloned through a record can be down-cast safely to that class.
#include "protocol/asn1/value/ValuePool.h"

#include <boost/polymorphic_cast.hpp>

#include <cassert>
#include <cstddef>
#include <ios>
#include <memory>
#include <string>
#include <type_traits>

namespace ASN1 {

class Visitor;
class ConstVisitor;

class AbstractData {
public:
    struct InfoType;
    typedef AbstractData* (*CreateFun)(InfoType const* info);

    // The header of every type-information record.
    struct InfoType {
        CreateFun create;
        unsigned tag;
    };

    virtual ~AbstractData() = default;

    // Every value object lives in a block of the value pool (see
    // ValuePool.h): the coders make and drop whole trees of them per
    // message. The destructor is virtual, so delete passes the size of the
    // object's own class.
    static void* operator new(std::size_t size) { return ValuePool::allocate(size); }
    static void operator delete(void* p, std::size_t size) noexcept { ValuePool::release(p, size); }
    // Construction in place stays available (the class operator new above
    // hides the global forms).
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}

    InfoType const* info() const { return info_; }

    // Negative, 0 or positive as this value sorts before, equal to or after
    // the other value of the same type.
    int compare(AbstractData const& other) const { return do_compare(other); }
    std::unique_ptr<AbstractData> clone() const { return std::unique_ptr<AbstractData>(do_clone()); }

    bool accept(Visitor& visitor) { return do_accept(visitor); }
    bool accept(ConstVisitor& visitor) const { return do_accept(visitor); }

    // Whether the value meets its type's constraints: isValid lets through
    // what the extension markers allow, isStrictlyValid only the root (see
    // ConstraintChecks.h). Defined with the constraint checks, above the
    // value classes: a program that calls them links that library.
    bool isValid() const;
    bool isStrictlyValid() const;

    // Value notation: printing (goodbit unless the stream failed) and reading.
    // Defined with the value-notation printer and reader, likewise.
    std::ios_base::iostate print_on(std::ostream& os) const;
    std::string asValueNotation() const;
    std::ios_base::iostate get_from(std::istream& is);
    bool setFromValueNotation(std::string const& text);

protected:
    explicit AbstractData(InfoType const* info) : info_(info) {}
    AbstractData(AbstractData const&) = default;
    // Assignment copies the value and keeps the target's record, so that a
    // field keeps its type's constraints; the structured classes, whose
    // record describes their components, take the source's record along.
    AbstractData& operator=(AbstractData const&) { return *this; }

    void setInfo(InfoType const* info) { info_ = info; }

    // A deep copy of self of the class its record creates: a default value
    // made through the record, then assigned as a Base.
    template <class Base>
    static AbstractData* cloneThroughRecord(Base const& self)
    {
        std::unique_ptr<AbstractData> copy(self.info()->create(self.info()));
        *boost::polymorphic_downcast<Base*>(copy.get()) = self;
        return copy.release();
    }

    // The other value of a comparison as this value's class, or null when
    // it is of an unrelated class (then the values are ordered by record).
    template <class Base>
    static Base const* peerOf(AbstractData const& other) { return dynamic_cast<Base const*>(&other); }
    int compareUnrelated(AbstractData const& other) const;

private:
    virtual int do_compare(AbstractData const& other) const = 0;
    virtual AbstractData* do_clone() const = 0;
    virtual bool do_accept(Visitor& visitor) = 0;
    virtual bool do_accept(ConstVisitor& visitor) const = 0;

    InfoType const* info_;
};

namespace detail {
struct NoRecord;
} // namespace detail

// The creation operation of the records whose values are objects of class
// T. A class that can carry several records (IA5String of any size, INTEGER
// of any range) is built from the record it is given; a class bound to its
// own record (a generated type, a typed template) by its default constructor.
// A constructor that would take any pointer (through a conversion to bool,
// say a generated BOOLEAN type's) is no record constructor.
template <class T>
AbstractData* createAs(AbstractData::InfoType const* info)
{
    typedef typename T::InfoType Record;
    if constexpr (std::is_constructible_v<T, Record const*> && !std::is_constructible_v<T, detail::NoRecord const*>) {
        return new T(static_cast<Record const*>(info));
    } else {
        assert(info == &T::theInfo);
        (void)info;
        return new T();
    }
}

// -1, 0 or 1 as a sorts before, equal to or after b.
template <class T>
int compareValues(T const& a, T const& b)
{
    return (b < a) - (a < b);
}

// Octet strings compared octet by octet as unsigned values, then by length.
int compareOctets(char const* a, std::size_t aLength, char const* b, std::size_t bLength);

} // namespace ASN1
