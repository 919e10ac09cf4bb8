#include "tests/protocol/asn1/TestTypes.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

using namespace ASN1;
using Demo::Body;
using Demo::Message;

namespace {

// Records the SEQUENCE hooks it is called with and answers each with the
// result set for it.
class RecordingConstVisitor : public ConstVisitor {
public:
    std::vector<std::string> calls;
    bool fieldResult = true;

private:
    bool do_visit(AbstractData const&) override { calls.push_back("leaf"); return true; }
    bool preVisitExtensionRoots(SEQUENCE const&) override { calls.push_back("roots"); return true; }
    bool visitExtensionRoot(SEQUENCE const&, int index) override
    {
        calls.push_back("root " + std::to_string(index));
        return fieldResult;
    }
    bool preVisitExtensions(SEQUENCE const&) override { calls.push_back("extensions"); return true; }
    bool visitKnownExtension(SEQUENCE const&, int index) override
    {
        calls.push_back("known " + std::to_string(index));
        return true;
    }
    bool afterVisitSequence(SEQUENCE const&) override { calls.push_back("after"); return true; }
};

// Only the catch-all: sees every value that reaches it.
class CatchAllVisitor : public ConstVisitor {
public:
    std::vector<AbstractData const*> seen;

private:
    bool do_visit(AbstractData const& value) override { seen.push_back(&value); return true; }
};

// A filling visitor whose SEQUENCE hooks answer as configured.
class ScriptedVisitor : public Visitor {
public:
    std::vector<std::string> calls;
    VisitSeqResult first = CONTINUE;
    VisitSeqResult root = CONTINUE;
    int failRootAt = -1;
    VisitSeqResult extensions = CONTINUE;
    VisitSeqResult known = CONTINUE;
    VisitSeqResult unknown = STOP;

private:
    bool leaf(char const* name) { calls.push_back(name); return true; }
    bool do_visit(Null&) override { return leaf("null"); }
    bool do_visit(BOOLEAN&) override { return leaf("boolean"); }
    bool do_visit(INTEGER&) override { return leaf("integer"); }
    bool do_visit(ENUMERATED&) override { return leaf("enumerated"); }
    bool do_visit(OBJECT_IDENTIFIER&) override { return leaf("oid"); }
    bool do_visit(OCTET_STRING&) override { return leaf("octets"); }
    bool do_visit(BIT_STRING&) override { return leaf("bits"); }
    bool do_visit(AbstractString&) override { return leaf("string"); }
    bool do_visit(BMPString&) override { return leaf("bmp"); }
    bool do_visit(CHOICE&) override { return leaf("choice"); }
    bool do_visit(SEQUENCE_OF_Base&) override { return leaf("list"); }
    bool do_visit(OpenData&) override { return leaf("open"); }
    bool do_revisit(OpenData&) override { return leaf("revisit"); }
    bool do_visit(TypeConstrainedOpenData&) override { return leaf("typed open"); }
    bool do_visit(GeneralizedTime&) override { return leaf("time"); }

    VisitSeqResult preVisitExtensionRoots(SEQUENCE&) override { calls.push_back("roots"); return first; }
    VisitSeqResult visitExtensionRoot(SEQUENCE&, int index, int optionNumber) override
    {
        calls.push_back("root " + std::to_string(index) + "/" + std::to_string(optionNumber));
        return index == failRootAt ? FAIL : root;
    }
    VisitSeqResult preVisitExtensions(SEQUENCE&) override { calls.push_back("extensions"); return extensions; }
    VisitSeqResult visitKnownExtension(SEQUENCE&, int index, int optionNumber) override
    {
        calls.push_back("known " + std::to_string(index) + "/" + std::to_string(optionNumber));
        return known;
    }
    VisitSeqResult visitUnknownExtensions(SEQUENCE&) override { calls.push_back("unknown"); return unknown; }
};

// Keeps every default of Visitor except the pure leaf operations.
class DefaultHooksVisitor : public Visitor {
public:
    int integers = 0;

private:
    bool do_visit(Null&) override { return true; }
    bool do_visit(BOOLEAN&) override { return true; }
    bool do_visit(INTEGER&) override { ++integers; return true; }
    bool do_visit(ENUMERATED&) override { return true; }
    bool do_visit(OBJECT_IDENTIFIER&) override { return true; }
    bool do_visit(OCTET_STRING&) override { return true; }
    bool do_visit(BIT_STRING&) override { return true; }
    bool do_visit(AbstractString&) override { return true; }
    bool do_visit(BMPString&) override { return true; }
    bool do_visit(CHOICE&) override { return true; }
    bool do_visit(SEQUENCE_OF_Base&) override { return true; }
    bool do_visit(OpenData&) override { return true; }
    bool do_revisit(OpenData&) override { return true; }
    bool do_visit(TypeConstrainedOpenData&) override { return true; }
    bool do_visit(GeneralizedTime&) override { return true; }
};

std::vector<std::string> walk(Message const& msg, bool fieldResult = true, bool* result = nullptr)
{
    RecordingConstVisitor visitor;
    visitor.fieldResult = fieldResult;
    bool ok = msg.accept(visitor);
    if (result)
        *result = ok;
    return visitor.calls;
}

typedef std::vector<std::string> Calls;

} // namespace

TEST(ConstVisitor, WalksPresentFieldsInOrder)
{
    Message bare;
    EXPECT_EQ((Calls{"roots", "root 2", "after"}), walk(bare));

    Message full;
    full.set_seq(1);
    full.set_slot(2);
    full.set_flag(true);
    full.set_note("n");
    EXPECT_EQ((Calls{"roots", "root 0", "root 1", "root 2", "extensions", "known 3", "known 4", "after"}), walk(full));

    // Extension bits that are all 0 still open the extension part; absent
    // additions are skipped.
    Message cleared;
    cleared.set_note("n");
    cleared.removeOptionalField(Message::e_note);
    EXPECT_EQ((Calls{"roots", "root 2", "extensions", "after"}), walk(cleared));

    Message onlySecond;
    onlySecond.set_note("n");
    EXPECT_EQ((Calls{"roots", "root 2", "extensions", "known 4", "after"}), walk(onlySecond));

    bool result = true;
    EXPECT_EQ((Calls{"roots", "root 2"}), walk(bare, false, &result));
    EXPECT_FALSE(result);
}

TEST(ConstVisitor, CatchAllSeesLeavesAndSequences)
{
    CatchAllVisitor visitor;
    Demo::Everything everything;
    Demo::fill(everything);
    for (unsigned i = 0; i < everything.fieldCount(); ++i) {
        AbstractData const* field = everything.getField(i);
        EXPECT_TRUE(field->accept(visitor));
        ASSERT_EQ(i + 1, visitor.seen.size());
        EXPECT_EQ(field, visitor.seen.back());
    }

    // A SEQUENCE reaches the catch-all through its first hook, and fails on
    // its first field, which no hook of this visitor handles.
    visitor.seen.clear();
    EXPECT_FALSE(everything.accept(visitor));
    ASSERT_EQ(1u, visitor.seen.size());
    EXPECT_EQ(&everything, visitor.seen[0]);
    EXPECT_TRUE(Demo::Empty().accept(visitor));
}

TEST(Visitor, HookResultsSteerTheSequenceWalk)
{
    typedef Visitor::VisitSeqResult R;
    struct Case {
        char const* what;
        R first;
        int failRootAt;
        R root;
        R extensions;
        R known;
        R unknown;
        bool result;
        Calls calls;
    };
    Calls const all{"roots", "root 0/0", "root 1/1", "root 2/-1", "extensions", "known 3/2", "known 4/3", "unknown"};
    Case const cases[] = {
        {"everything", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, true, all},
        {"first fails", Visitor::FAIL, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, false, {"roots"}},
        {"first stops", Visitor::STOP, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, true, {"roots"}},
        {"root only", Visitor::NO_EXTENSION, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, true,
         {"roots", "root 0/0", "root 1/1", "root 2/-1"}},
        {"root fails", Visitor::CONTINUE, 1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, false,
         {"roots", "root 0/0", "root 1/1"}},
        {"root stops", Visitor::CONTINUE, -1, Visitor::STOP, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, true,
         {"roots", "root 0/0"}},
        {"extensions stop", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::NO_EXTENSION, Visitor::CONTINUE, Visitor::STOP, true,
         {"roots", "root 0/0", "root 1/1", "root 2/-1", "extensions"}},
        {"extensions fail", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::FAIL, Visitor::CONTINUE, Visitor::STOP, false,
         {"roots", "root 0/0", "root 1/1", "root 2/-1", "extensions"}},
        {"known stops", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::STOP, Visitor::STOP, true,
         {"roots", "root 0/0", "root 1/1", "root 2/-1", "extensions", "known 3/2"}},
        {"known fails", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::FAIL, Visitor::STOP, false,
         {"roots", "root 0/0", "root 1/1", "root 2/-1", "extensions", "known 3/2"}},
        {"unknown fails", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::FAIL, false, all},
        {"unknown continues", Visitor::CONTINUE, -1, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, Visitor::CONTINUE, true, all},
    };
    for (Case const& c : cases) {
        ScriptedVisitor visitor;
        visitor.first = c.first;
        visitor.failRootAt = c.failRootAt;
        visitor.root = c.root;
        visitor.extensions = c.extensions;
        visitor.known = c.known;
        visitor.unknown = c.unknown;
        Message msg;
        EXPECT_EQ(c.result, msg.accept(visitor)) << c.what;
        EXPECT_EQ(c.calls, visitor.calls) << c.what;
    }
}

TEST(Visitor, DefaultHooksFailOnTheFirstField)
{
    DefaultHooksVisitor visitor;
    Message msg;
    EXPECT_FALSE(msg.accept(visitor));
    Demo::Empty empty;
    EXPECT_TRUE(empty.accept(visitor));

    IntegerWithNamedNumber level(&Demo::Level_info);
    EXPECT_TRUE(level.accept(visitor));
    EXPECT_EQ(1, visitor.integers) << "a named-number INTEGER reaches the INTEGER operation";
}

TEST(Visitor, EachClassReachesItsOwnOperation)
{
    Demo::Everything everything;
    Demo::fill(everything);
    ScriptedVisitor visitor;
    for (unsigned i = 0; i < everything.fieldCount(); ++i)
        EXPECT_TRUE(everything.getField(i)->accept(visitor));
    Calls const expected{"null", "boolean", "integer", "integer", "enumerated", "oid", "bits", "octets", "string",
                         "string", "bmp", "time", "choice", "list", "list", "open", "typed open"};
    EXPECT_EQ(expected, visitor.calls);

    // A const visitor sees a type-constrained open type as an open type.
    CatchAllVisitor constVisitor;
    EXPECT_TRUE(everything.at<OpenData>(Demo::Everything::f_typedOpen).accept(constVisitor));
    EXPECT_EQ(1u, constVisitor.seen.size());
}
