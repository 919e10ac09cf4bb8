// The generator's output for a sample schema set that uses what the real
// modules do not: aliases (with and without a record of their own), sized
// strings and lists, SEQUENCE extension additions, an empty SEQUENCE,
// negative ranges down to the smallest 32-bit number, a cross-module
// reference, and an enumeration whose items share numbers.
#include "RecordDescription.h"
#include "RepresentativeValue.h"

#include "protocol/schemas/SAMPLE.h"
#include "protocol/schemas/TypeTable.h"

#include <gtest/gtest.h>

namespace {

using SchemaTest::Description;
using SchemaTest::RecordDescriber;

Description const descriptions[] = {
#include SAMPLE_DESCRIPTIONS
};
Schemas::TypeEntry const types[] = {
#include SAMPLE_TYPE_LIST
};

TEST(SchemaGenerator, SampleRecordsMatchTheirSchemaTables)
{
    ASSERT_EQ(sizeof descriptions / sizeof descriptions[0], sizeof types / sizeof types[0]);
    std::map<RecordDescriber::Record const*, std::string> names;
    for (unsigned i = 0; i < sizeof types / sizeof types[0]; ++i) {
        if (RecordDescriber::isNamedKind(descriptions[i].text))
            names[types[i].info] = types[i].name;
    }
    RecordDescriber describer(names);
    for (unsigned i = 0; i < sizeof types / sizeof types[0]; ++i) {
        ASSERT_STREQ(descriptions[i].name, types[i].name);
        std::string described = describer.describe(types[i].info);
        // An alias of a named type is described by that type's name.
        auto named = names.find(types[i].info);
        if (named != names.end() && named->second != types[i].name)
            described = named->second;
        EXPECT_EQ(descriptions[i].text, described) << types[i].name;
    }
}

TEST(SchemaGenerator, EverySampleTypeRoundTripsARepresentativeValue)
{
    for (Schemas::TypeEntry const& entry : types)
        EXPECT_EQ("", SchemaTest::roundTripRepresentative(entry.info)) << entry.name;
}

static_assert(SAMPLE::Top::e_low == 0 && SAMPLE::Top::e_pick == 4);
static_assert(SAMPLE::Top::e_later == 5 && SAMPLE::Top::e_note == 6, "additions number on after the optional fields");
static_assert(SAMPLE::Pick::by_label == 0 && SAMPLE::Pick::empty == 3);
static_assert(SAMPLE::Level::mid_level == 20 && SAMPLE::Level::max == 40 && SAMPLE::Level::count == 3);

TEST(SchemaGenerator, AccessorsOfEveryMemberKind)
{
    SAMPLE::Top top;
    top.set_id(-128);
    top.set_low(-2147483647 - 1);
    top.set_label("abc");
    top.set_code(std::string("\0\xff", 2));
    top.set_count(10);
    top.set_nothing();
    top.set_level(SAMPLE::Level::high);
    top.set_later(true);
    top.set_note("late");
    SAMPLE::Item item;
    item.set_value(4294967295u);
    item.ref_oid().arcs() = {1, 3, 6};
    top.ref_items().push_back(item);
    top.ref_flags().push_back(ASN1::BOOLEAN(true, &ASN1::BOOLEAN::theInfo));
    top.ref_part().set_size_in_bits(-1);
    top.ref_part().ref_words().push_back(ASN1::IA5String("w"));

    EXPECT_EQ(-128, top.get_id().getValue());
    EXPECT_EQ(-2147483647 - 1, top.get_low().getValue());
    EXPECT_EQ(std::string("\0\xff", 2), static_cast<std::string>(top.get_code()));
    EXPECT_EQ(SAMPLE::Level::high, top.get_level().getValue());
    EXPECT_EQ(4294967295u, top.get_items()[0].get_value().getValue());
    EXPECT_EQ(-1, top.get_part().get_size_in_bits().getValue());
    for (unsigned option : {SAMPLE::Top::e_low, SAMPLE::Top::e_code, SAMPLE::Top::e_count, SAMPLE::Top::e_nothing,
                            SAMPLE::Top::e_later, SAMPLE::Top::e_note})
        EXPECT_TRUE(top.hasOptionalField(option)) << option;
    EXPECT_FALSE(top.hasOptionalField(SAMPLE::Top::e_pick));
    EXPECT_EQ(2u, top.extensionMap().size());

    // Members of an alias type with a record of its own carry that record.
    EXPECT_EQ(&SAMPLE::Label_info, top.get_label().info());
    EXPECT_EQ(8u, top.get_label().getUpperLimit());
    EXPECT_EQ(16u, top.get_note().getUpperLimit());
    EXPECT_EQ(4u, top.get_items().getUpperLimit());
    EXPECT_EQ(2u, top.get_code().getUpperLimit());

    SAMPLE::Pick& pick = top.ref_pick();
    EXPECT_TRUE(top.hasOptionalField(SAMPLE::Top::e_pick));
    ASSERT_TRUE(pick.select(SAMPLE::Pick::item));
    EXPECT_NE(nullptr, dynamic_cast<SAMPLE::ItemAlias*>(pick.getValue()));
    ASSERT_TRUE(pick.select(SAMPLE::Pick::hidden));
    EXPECT_NE(nullptr, dynamic_cast<SAMPLE::Hidden*>(pick.getValue()));
}

} // namespace
