#pragma once
// An owned file descriptor. Destruction closes it; copying duplicates it
// (the duplicate is close-on-exec), so two Fd never share a descriptor.
// Moving hands the descriptor over without duplicating it. The free
// functions below switch the modes of any descriptor, owned or not.

class Fd {
public:
    Fd() = default;
    // Takes ownership of fd (negative: none).
    explicit Fd(int fd) : fd_(fd < 0 ? -1 : fd) {}
    Fd(Fd const& other) : fd_(other.dup()) {}
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd const& other);
    Fd& operator=(Fd&& other) noexcept;
    ~Fd();

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    // A new close-on-exec duplicate, owned by the caller; -1 when this Fd
    // is empty or dup fails.
    int dup() const;
    // Closes the descriptor and empties the Fd; on an empty Fd sets errno to
    // EBADF and returns -1.
    int close();
    // Adds O_NONBLOCK; false for an empty Fd or when fcntl fails.
    bool NonBlock() const;

private:
    int fd_ = -1;
};

// Add or remove O_NONBLOCK; true when both fcntl calls succeed.
bool NonBlockMode(int fd);
bool BlockMode(int fd);
// Sets or clears FD_CLOEXEC; true on success.
bool SetCloexec(int fd, bool on);
