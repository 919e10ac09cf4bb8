#pragma once
// Intrusive reference-counting handle. The object carries its own count in
// a member named `ref_count` (unsigned 32-bit) and the handles add and drop
// references to it; the last handle to let go releases the object: a packet
// body goes back to the pool, anything else is deleted through its virtual
// destructor. Modifying access through a null handle is a programming error
// and terminates the process. Packet bodies specialise `prepare_for_modify`
// to copy a shared body before it is changed (copy-on-write).
#include <cstdint>

// Writes "SMART POINTER ASSERTION!" to the log stream and terminates.
[[noreturn]] void SmartPtrAssertion();
// The same for a shared-pointer variant: "SHARED POINTER ASSERTION!".
[[noreturn]] void SharedPtrAssertion();

template <class T>
class Smart_pointer {
public:
    Smart_pointer(T* object = nullptr) : object_(object) { add_ref(object_); }
    Smart_pointer(Smart_pointer const& other) : object_(other.object_) { add_ref(object_); }
    ~Smart_pointer() { drop_ref(object_); }

    // The new reference is taken before the old one is dropped, so assigning
    // a handle to itself (or to another handle on the same object) never
    // releases the object in between.
    Smart_pointer& operator=(T* object)
    {
        add_ref(object);
        T* old = object_;
        object_ = object;
        drop_ref(old);
        return *this;
    }
    Smart_pointer& operator=(Smart_pointer const& other) { return *this = other.object_; }

    // Modifying access: fatal on a null handle, copy-on-write where the
    // object type asks for it.
    T* operator->()
    {
        if (!object_)
            SmartPtrAssertion();
        prepare_for_modify();
        return object_;
    }
    T& operator*() { return *operator->(); }

    // Reading access: fatal on a null handle, never copies.
    T const* operator->() const
    {
        if (!object_)
            SmartPtrAssertion();
        return object_;
    }
    T const& operator*() const { return *operator->(); }

    T const* get() const { return object_; }
    bool is_null() const { return object_ == nullptr; }
    explicit operator bool() const { return object_ != nullptr; }

    // Makes the object private to this handle before it is modified; does
    // nothing unless specialised.
    void prepare_for_modify() {}

private:
    static void add_ref(T* object)
    {
        if (object)
            ++object->ref_count;
    }
    static void drop_ref(T* object)
    {
        if (object && object->ref_count != 0 && --object->ref_count == 0)
            dispose(object);
    }
    // Releases an object whose last handle let go.
    static void dispose(T* object) { delete object; }

    T* object_;
};
