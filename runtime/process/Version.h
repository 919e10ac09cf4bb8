#pragma once
// The version record that the build stamps into the program. It is shown
// through put(), which writes the tag: after "server version: " for
// --version, in the status dump, and in the daemon's syslog identity
// ("vlm-" + tag). The texts are constants supplied by the build; the record
// neither owns nor copies them.
#include <iosfwd>

class Version {
public:
    enum Type : int { snapshot = 0, test = 1, release = 2, unit_test = 3 };

    Version(Type type, int number, char const* label, char const* user, char const* date, char const* tag,
            char const* arch);

    // A hook for builds that adjust the record; does nothing here.
    void update();
    // Writes the tag and nothing else.
    void put(std::ostream& out) const;

    Type type() const { return type_; }
    int number() const { return number_; }
    char const* label() const { return label_; }
    char const* user() const { return user_; }
    char const* date() const { return date_; }
    char const* tag() const { return tag_; }
    char const* arch() const { return arch_; }

    // This build's record.
    static Version const current;

private:
    Type type_;
    int number_;
    char const* label_;
    char const* user_;
    char const* date_;
    char const* tag_;
    char const* arch_;
};

// "snapshot", "test", "release", "unit-test"; "unknown" for other values.
char const* version_string(Version::Type type);
// "S", "T", "R", "T"; "U" for other values.
char const* version_suffix(Version::Type type);
std::ostream& operator<<(std::ostream& out, Version::Type type);
