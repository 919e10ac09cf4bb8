#include "runtime/packet/ProtocolsList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using Log = std::vector<std::string>;

struct Labelled {
    explicit Labelled(std::string l) : label(std::move(l)) {}
    virtual ~Labelled() = default;
    std::string label;
};

std::string label_of(Protocol const* p)
{
    auto const* l = dynamic_cast<Labelled const*>(p);
    return l ? l->label : "?";
}

std::string status_text(Protocol_status const& s)
{
    return label_of(s.get()->source()) + ":" + (s.get()->success() ? "ok " : "error ") + s.get()->message();
}

// A layer that records every call it gets; `message` adds its tag byte in
// front, `receive` takes one byte off, so the path of a packet shows in it.
class Recorder : public Protocol, public Labelled {
public:
    Recorder(std::string label, Log& log, unsigned header = 1, uint8_t tag = 0)
        : Labelled(std::move(label)), log_(log), header_(header), tag_(tag) {}

    void local_prepare_head(Packet& p) override
    {
        record("local_prepare_head");
        p.reserve_head(header_);
    }
    Protocol_status local_initialize() override
    {
        record("local_initialize");
        if (fail_initialize)
            return new Protocol_status_error(this, "cannot");
        return Protocol::local_initialize();
    }
    void local_activate() override
    {
        record("local_activate");
        Protocol::local_activate();
    }
    void local_deactivate() override
    {
        record("local_deactivate");
        Protocol::local_deactivate();
    }
    void on_deactivate(Protocol_status s) override
    {
        record("on_deactivate(" + status_text(s) + ")");
        Protocol::on_deactivate(s);
    }
    void message(Packet& p) override
    {
        record("message " + p.text());
        p.push8(tag_);
        transmit(p);
    }
    void receive(Packet& p) override
    {
        record("receive " + p.text());
        p.pull8();
        on_message(p);
    }
    void fail(std::string const& text) { on_deactivate(new Protocol_status_error(this, text)); }

    bool fail_initialize = false;

private:
    void record(std::string const& what) { log_.push_back(label + "." + what); }
    Log& log_;
    unsigned header_;
    uint8_t tag_;
};

// A family that records what reaches it from its layers and, when it sits
// in no outer stack, what leaves it at either end.
class RecordingFamily : public ProtocolsFamily, public Labelled {
public:
    RecordingFamily(std::string label, Log& log) : Labelled(std::move(label)), log_(log) {}

    void on_activated(Protocol* p) override
    {
        record("on_activated(" + label_of(p) + ")");
        ProtocolsFamily::on_activated(p);
    }
    void on_deactivated(Protocol* p, Protocol_status s) override
    {
        record("on_deactivated(" + label_of(p) + ", " + status_text(s) + ")");
        ProtocolsFamily::on_deactivated(p, s);
    }
    void transmit(Packet& p) override
    {
        record("transmit " + p.text());
        ProtocolsFamily::transmit(p);
    }
    void on_message(Packet& p) override
    {
        record("on_message " + p.text());
        ProtocolsFamily::on_message(p);
    }

private:
    void record(std::string const& what) { log_.push_back(label + "." + what); }
    Log& log_;
};

// The outermost owner: a plain list that records what runs off its stack.
class RecordingList : public ProtocolsList, public Labelled {
public:
    RecordingList(std::string label, Log& log) : Labelled(std::move(label)), log_(log) {}
    void on_activated(Protocol* p) override { log_.push_back(label + ".on_activated(" + label_of(p) + ")"); }
    void on_deactivated(Protocol* p, Protocol_status s) override
    {
        log_.push_back(label + ".on_deactivated(" + label_of(p) + ", " + status_text(s) + ")");
    }
    void transmit(Packet& p) override { log_.push_back(label + ".transmit " + p.text()); }
    void on_message(Packet& p) override { log_.push_back(label + ".on_message " + p.text()); }

private:
    Log& log_;
};

struct TwoLayers : ::testing::Test {
    TwoLayers()
    {
        family.add_protocol_tail(b);
        family.add_protocol_head(a);
    }
    Log log;
    RecordingFamily family{"F", log};
    Recorder* a = new Recorder("A", log, 0, 0xA0);
    Recorder* b = new Recorder("B", log, 4, 0xB0);
};

} // namespace

TEST(ProtocolStack, OneLayerHandsDataToItsOwner)
{
    Log log;
    RecordingList owner("O", log);
    auto* only = new Recorder("L", log, 0, 0x11);
    owner.add_protocol_tail(only);
    Packet p;
    p.reserve_head(1);
    p.put8(0x22);
    only->message(p);
    only->receive(p);
    EXPECT_THAT(log, ElementsAre("L.message 22", "O.transmit 11 22", "L.receive 11 22", "O.on_message 22"));
}

TEST_F(TwoLayers, InitialisationStopsAtTheFirstFailure)
{
    Protocol_status ok = b->initialize();
    EXPECT_TRUE(ok.get()->success());
    EXPECT_EQ("success", ok.get()->message());
    EXPECT_EQ(b, ok.get()->source());

    log.clear();
    a->fail_initialize = true;
    Protocol_status failed = family.initialize();
    EXPECT_EQ("A:error cannot", status_text(failed));
    EXPECT_THAT(log, ElementsAre("A.local_initialize"));
}

TEST_F(TwoLayers, HeaderRoomIsTheSumReservedFromTheLowestLayerUp)
{
    Packet p;
    family.prepare_head(p);
    EXPECT_EQ(4u, p.headroom());
    EXPECT_THAT(log, ElementsAre("A.local_prepare_head", "B.local_prepare_head"));
    log.clear();

    Packet q;
    a->prepare_head(q);
    EXPECT_EQ(0u, q.headroom());
    EXPECT_THAT(log, ElementsAre("A.local_prepare_head"));

    Packet t;
    family.prepare_tail(t);
    EXPECT_EQ(0u, t.tailroom());
}

TEST(ProtocolStack, FamilyPassesDataAndStateThroughItsLayersIntoTheOuterStack)
{
    Log log;
    RecordingList outer("O", log);
    auto* wire = new Recorder("W", log, 2, 0x01);
    auto* family = new RecordingFamily("F", log);
    auto* inner_low = new Recorder("A", log, 1, 0xA0);
    auto* inner_top = new Recorder("B", log, 1, 0xB0);
    family->add_protocol_tail(inner_low);
    family->add_protocol_tail(inner_top);
    outer.add_protocol_tail(wire);
    outer.add_protocol_tail(family);

    Packet p;
    family->prepare_head(p);
    EXPECT_EQ(4u, p.headroom());
    p.put8(0x55);
    log.clear();
    family->message(p);
    EXPECT_THAT(log, ElementsAre("B.message 55", "A.message B0 55", "F.transmit A0 B0 55", "W.message A0 B0 55",
                                 "O.transmit 01 A0 B0 55"));

    log.clear();
    wire->receive(p);
    EXPECT_THAT(log, ElementsAre("W.receive 01 A0 B0 55", "A.receive A0 B0 55", "B.receive B0 55", "F.on_message 55",
                                 "O.on_message 55"));

    log.clear();
    family->activate();
    EXPECT_THAT(log, ElementsAre("W.local_activate", "A.local_activate", "B.local_activate", "F.on_activated(B)",
                                 "O.on_activated(F)"));

    log.clear();
    inner_low->fail("gone");
    EXPECT_THAT(log, ElementsAre("A.on_deactivate(A:error gone)", "B.on_deactivate(A:error gone)",
                                 "F.on_deactivated(B, A:error gone)", "O.on_deactivated(F, A:error gone)"));

    log.clear();
    family->deactivate();
    EXPECT_THAT(log, ElementsAre("B.local_deactivate", "B.on_deactivate(B:ok success)", "A.local_deactivate",
                                 "A.on_deactivate(A:ok success)", "F.on_deactivated(A, A:ok success)",
                                 "W.local_deactivate", "W.on_deactivate(W:ok success)",
                                 "O.on_deactivated(W, W:ok success)"));
}

TEST(ProtocolStack, EmptyFamilyDoesNothingAndFailsInitialisation)
{
    Log log;
    RecordingFamily family("F", log);
    Protocol_status s = family.initialize();
    ASSERT_TRUE(s);
    EXPECT_FALSE(s.get()->success());
    EXPECT_EQ("error", s.get()->message());
    EXPECT_NE(nullptr, dynamic_cast<Protocol_initialize_error const*>(s.get()));

    Packet p;
    family.prepare_head(p);
    family.prepare_tail(p);
    EXPECT_TRUE(p.is_null());
    family.message(p);
    family.receive(p);
    family.activate();
    family.deactivate();
    EXPECT_TRUE(log.empty());
}

TEST(ProtocolStack, LayersAreFoundOnlyWhenTheyAnswerToTheName)
{
    struct Named : Protocol {
        explicit Named(char const* n) : type(n) {}
        bool compare_name(Protocol_name const& other) const override { return type.compare(other); }
        Protocol_name_str type;
    };
    ProtocolsList list;
    list.add_protocol_tail(new Protocol);
    auto* first = new Named("TPKT");
    list.add_protocol_tail(first);
    list.add_protocol_tail(new Named("TPKT"));

    EXPECT_EQ(first, list.search(Protocol_name_str("TPKT")));
    EXPECT_EQ(nullptr, list.search(Protocol_name_str("X")));
    EXPECT_EQ(nullptr, list.search(Protocol_name_null()));
    EXPECT_STREQ("(no name)", list.first()->name().name());
    EXPECT_STREQ("(no name)", first->name().name());
}

TEST(ProtocolStack, ListsOwnTheirLayers)
{
    struct Tracked : Protocol {
        Tracked(Log& log, std::string n) : log(log), n(std::move(n)) {}
        ~Tracked() override { log.push_back("delete " + n); }
        Log& log;
        std::string n;
    };
    Log log;
    auto* list = new ProtocolsList;
    auto* x = new Tracked(log, "x");
    auto* y = new Tracked(log, "y");
    auto* z = new Tracked(log, "z");
    list->add_protocol_tail(x);
    list->add_protocol_tail(y);
    list->add_protocol_tail(z);

    delete y;
    EXPECT_EQ(2u, list->count());
    EXPECT_EQ(z, x->upper());

    ProtocolsList other;
    other.add_protocol_head(z);
    EXPECT_EQ(1u, list->count());
    EXPECT_EQ(&other, z->owner());

    delete list;
    EXPECT_THAT(log, ElementsAre("delete y", "delete x"));
}

TEST(ProtocolStackDeathTest, NullStatusIsAProgrammingError)
{
    Protocol layer;
    EXPECT_DEATH(layer.on_deactivate(Protocol_status()), HasSubstr("SMART POINTER ASSERTION!"));
}
