#include "runtime/process/Version.h"

#include "runtime/process/VersionStamp.h"

#include <ostream>

Version const Version::current(Version::snapshot, 0, VERSION_STAMP_LABEL, VERSION_STAMP_USER, VERSION_STAMP_DATE,
                               VERSION_STAMP_TAG, VERSION_STAMP_ARCH);

Version::Version(Type type, int number, char const* label, char const* user, char const* date, char const* tag,
                 char const* arch)
    : type_(type), number_(number), label_(label), user_(user), date_(date), tag_(tag), arch_(arch)
{
    update();
}

void Version::update() {}

void Version::put(std::ostream& out) const { out << tag_; }

char const* version_string(Version::Type type)
{
    switch (type) {
    case Version::snapshot: return "snapshot";
    case Version::test: return "test";
    case Version::release: return "release";
    case Version::unit_test: return "unit-test";
    }
    return "unknown";
}

char const* version_suffix(Version::Type type)
{
    switch (type) {
    case Version::snapshot: return "S";
    case Version::test: return "T";
    case Version::release: return "R";
    case Version::unit_test: return "T";
    }
    return "U";
}

std::ostream& operator<<(std::ostream& out, Version::Type type) { return out << version_string(type); }
