// The coder environment: each encoding rule reaches its coder through the
// entry points, and a failed or impossible coding leaves value and output
// alone.
#include "protocol/asn1/ASN1.h"
#include "support/HexText.h"
#include "tests/protocol/asn1/TestTypes.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace ASN1;
using Demo::Everything;
using Demo::Message;

TEST(CoderEnv, RulesWithoutACoderFailWithoutTouchingAnything)
{
    Message msg;
    msg.set_seq(3);
    Message const before(msg);
    for (int rule : {int(CoderEnv::ber), 4, -1}) {
        CoderEnv env(rule);
        std::vector<char> out{'k'};
        EXPECT_FALSE(encode(msg, &env, std::back_inserter(out))) << rule;
        EXPECT_EQ(std::vector<char>{'k'}, out);
        char const input[] = {'\x80', '\x01', '\x07'};
        EXPECT_FALSE(decode(input, input + sizeof input, &env, msg, true)) << rule;
        EXPECT_EQ(0, msg.compare(before));
    }
    std::vector<char> out;
    EXPECT_FALSE(encode(msg, static_cast<CoderEnv*>(nullptr), std::back_inserter(out)));
    EXPECT_FALSE(decode(nullptr, nullptr, nullptr, msg, false));

    CoderEnv env;
    EXPECT_EQ(CoderEnv::per_Aligned, env.getEncodingRules());
    EXPECT_TRUE(env.modules().empty());
}

TEST(CoderEnv, RunsRuleTwoAlignedAndRuleThreeUnaligned)
{
    // IA5String (SIZE(1..64)) abc differs between the variants
    AbstractString const value(&Demo::Name_info, "abc");
    for (int rule : {CoderEnv::per_Aligned, CoderEnv::per_Unaligned}) {
        CoderEnv env(rule);
        std::vector<char> out(1, 'x');
        ASSERT_TRUE(encode(value, &env, std::back_inserter(out)));
        EXPECT_EQ(rule == CoderEnv::per_Aligned ? "78 08 61 62 63" : "78 0B 0E 2C 60", hexText(out));
        std::unique_ptr<AbstractData> back(value.info()->create(value.info()));
        ASSERT_TRUE(decode(out.data() + 1, out.data() + out.size(), &env, *back, true));
        EXPECT_EQ(0, value.compare(*back));
    }
}

TEST(CoderEnv, AFailedEncodeLeavesTheOutputAsItWas)
{
    // The presence bits and the sequence number are written before the
    // CHOICE turns out to have no selection.
    Message msg;
    msg.set_seq(5);
    CoderEnv env(CoderEnv::per_Aligned);
    std::vector<char> empty;
    EXPECT_FALSE(encode(msg, &env, std::back_inserter(empty)));
    EXPECT_TRUE(empty.empty());
    std::vector<char> holding(1, 'x');
    EXPECT_FALSE(encode(msg, &env, std::back_inserter(holding)));
    EXPECT_EQ("78", hexText(holding));
}

TEST(CoderEnv, TextRuleEncodesAndDecodes)
{
    Everything original;
    Demo::fill(original);
    CoderEnv env(CoderEnv::avn);
    std::vector<char> text;
    ASSERT_TRUE(encode(original, &env, std::back_inserter(text)));
    EXPECT_EQ(original.asValueNotation(), std::string(text.begin(), text.end()));

    Everything decoded;
    ASSERT_TRUE(decode(text.data(), text.data() + text.size(), &env, decoded, true));
    EXPECT_EQ(0, decoded.compare(original));

    std::string bad = "{ null NULL }";
    EXPECT_FALSE(decode(bad.data(), bad.data() + bad.size(), &env, decoded, false));
}

TEST(CoderEnv, ValuesThatPrintPlaceholdersHaveNoTextEncoding)
{
    Demo::ValuesWithoutText const without;
    CoderEnv env(CoderEnv::avn);
    AbstractData const* const values[] = {&without.unselected, &without.unknown, &without.emptyOpen};
    for (AbstractData const* value : values) {
        std::vector<char> out;
        EXPECT_FALSE(encode(*value, &env, std::back_inserter(out))) << value->asValueNotation();
        EXPECT_TRUE(out.empty());
    }
}
