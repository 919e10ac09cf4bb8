#include "runtime/packet/Packet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <vector>

using ::testing::HasSubstr;

namespace {

Packet make(std::vector<unsigned char> const& bytes, unsigned head = 0)
{
    Packet p;
    p.reserve_head(head);
    for (unsigned char b : bytes)
        p.put8(b);
    return p;
}

std::string dumped(Packet const& p)
{
    std::ostringstream os;
    p.dump(os);
    return os.str();
}

} // namespace

TEST(PacketPool, StartsInAddressOrderAndReusesFirstInFirstOut)
{
    struct Item {
        int value = 0;
    };
    static List_allocator<Item, 8> pool;
    std::vector<Item*> taken;
    for (int i = 0; i < 8; ++i)
        taken.push_back(pool.allocate());
    EXPECT_EQ(nullptr, pool.allocate());
    for (int i = 1; i < 8; ++i)
        EXPECT_GT(taken[i], taken[i - 1]);

    pool.deallocate(taken[5]);
    pool.deallocate(taken[1]);
    pool.deallocate(taken[6]);
    EXPECT_EQ(taken[5], pool.allocate());
    EXPECT_EQ(taken[1], pool.allocate());
    EXPECT_EQ(taken[6], pool.allocate());
    EXPECT_EQ(nullptr, pool.allocate());
}

TEST(PacketPool, HoldsExactly1024Bodies)
{
    Packet_pool& pool = packet_pool();
    ASSERT_EQ(1024u, pool.free_count());
    std::vector<_Packet*> taken;
    for (int i = 0; i < 1024; ++i) {
        taken.push_back(pool.allocate());
        ASSERT_NE(nullptr, taken.back());
    }
    EXPECT_EQ(nullptr, pool.allocate());
    pool.deallocate(taken[7]);
    EXPECT_EQ(taken[7], pool.allocate());
    for (_Packet* body : taken)
        pool.deallocate(body);
    EXPECT_EQ(1024u, pool.free_count());
}

TEST(PacketPool, EmptyPoolMakesNewBodiesAndCopiesThrowBadAlloc)
{
    std::vector<Packet> held(1024);
    for (Packet& p : held)
        p.reserve_head(0);
    EXPECT_EQ(0u, packet_pool().free_count());

    Packet head, tail;
    EXPECT_THROW(head.reserve_head(4), std::bad_alloc);
    EXPECT_THROW(tail.reserve_tail(4), std::bad_alloc);
    EXPECT_TRUE(head.is_null());

    Packet shared = held[0];
    EXPECT_THROW(shared.put8(1), std::bad_alloc);
    EXPECT_EQ(0u, held[0].length());

    held.pop_back();
    shared.put8(1);
    EXPECT_EQ(1u, shared.length());
    EXPECT_EQ(0u, held[0].length());
}

TEST(PacketPool, LastHandleReturnsTheBody)
{
    unsigned before = packet_pool().free_count();
    {
        Packet a;
        a.reserve_head(0);
        Packet b = a;
        Packet c;
        c = b;
        EXPECT_EQ(before - 1, packet_pool().free_count());
        a = Packet();
        b = Packet();
        EXPECT_EQ(before - 1, packet_pool().free_count());
    }
    EXPECT_EQ(before, packet_pool().free_count());
}

TEST(Packet, ReservationsOnANullPacketPlaceTheEmptyPayload)
{
    struct Case { bool head; unsigned n; unsigned headroom; unsigned tailroom; };
    Case const cases[] = {
        {true, 0, 0, 65536}, {true, 4, 4, 65532}, {true, 65536, 65536, 0},
        {false, 0, 65536, 0}, {false, 4, 65532, 4}, {false, 65536, 0, 65536},
    };
    for (auto const& c : cases) {
        Packet p;
        if (c.head)
            p.reserve_head(c.n);
        else
            p.reserve_tail(c.n);
        EXPECT_EQ(0u, p.length());
        EXPECT_EQ(c.headroom, p.headroom()) << c.head << " " << c.n;
        EXPECT_EQ(c.tailroom, p.tailroom()) << c.head << " " << c.n;
    }
}

TEST(Packet, HeaderRoomReservedLaterIsFilledExactlyByPushes)
{
    Packet p;
    p.reserve_head(0);
    p.reserve_head(4);
    EXPECT_EQ(4u, p.headroom());
    p.put8(0xEE);
    p.push16_b(0x0005);
    p.push8(0);
    p.push8(3);
    EXPECT_EQ("03 00 00 05 EE", p.text());
    EXPECT_EQ(0u, p.headroom());
    EXPECT_DEATH(p.push8(1), HasSubstr("PACKET ASSERTION FAILED!\nlen<=_headroom()\nhead=0, data=5, tail=65531\ndump:\n 3 0 0 5 ee\n"));
}

TEST(Packet, SixteenBitValuesInBothByteOrders)
{
    Packet p = make({});
    p.put16(0x1234);
    p.put16_b(0x1234);
    EXPECT_EQ("34 12 12 34", p.text());

    Packet q = make({0xEE}, 2);
    q.push16_b(0x1234);
    EXPECT_EQ("12 34 EE", q.text());

    struct Case { std::vector<unsigned char> bytes; unsigned short big; unsigned short little; };
    Case const cases[] = {
        {{0x12, 0x34}, 0x1234, 0x3412},
        {{0xAB}, 0xAB00, 0x00AB},
        {{}, 0, 0},
    };
    for (auto const& c : cases) {
        Packet b = make(c.bytes), l = make(c.bytes);
        EXPECT_EQ(c.big, b.pull16_b());
        EXPECT_EQ(c.little, l.pull16_l());
        EXPECT_EQ(0u, b.length());
    }
}

TEST(Packet, WritingThroughASharedHandleCopiesTheBodyOnce)
{
    Packet first = make({1, 2, 3}, 8);
    unsigned before = packet_pool().free_count();
    Packet second = first;
    second.put8(4);
    EXPECT_EQ(before - 1, packet_pool().free_count());
    EXPECT_EQ("01 02 03", first.text());
    EXPECT_EQ("01 02 03 04", second.text());
    EXPECT_EQ(8u, second.headroom());
    EXPECT_EQ(1u, second.pull8());
    second.push8(9);
    first.put8(5);
    EXPECT_EQ(before - 1, packet_pool().free_count()) << "sole handles write in place";
    EXPECT_EQ("01 02 03 05", first.text());
    EXPECT_EQ("09 02 03 04", second.text());
}

TEST(Packet, StringsCarryALengthByteThatMatchesTheirBytes)
{
    Packet p = make({});
    p.put(std::string("abc"));
    p.put(std::string());
    p.put(std::string(300, 'x'));
    EXPECT_EQ(4u + 1u + 256u, p.length());
    EXPECT_EQ("abc", p.pull_string());
    EXPECT_EQ("", p.pull_string());
    EXPECT_EQ(std::string(255, 'x'), p.pull_string());
    EXPECT_EQ(0u, p.length());

    Packet shortened = make({5, 'h', 'i'});
    EXPECT_EQ(std::string("hi\0\0\0", 5), shortened.pull_string());
    EXPECT_EQ("", shortened.pull_string());
}

TEST(Packet, AppendingAndCuttingPayloads)
{
    Packet p = make({0x10, 0x20, 0x30, 0x40});
    Packet s = p.sub(2, 1);
    EXPECT_EQ("20 30", s.text());
    EXPECT_EQ("10 20 30 40", p.text());
    EXPECT_EQ("", p.sub(0, 4).text());

    Packet joined = make({1});
    joined.put(p);
    EXPECT_EQ("01 10 20 30 40", joined.text());
    joined.put(joined);
    EXPECT_EQ("01 10 20 30 40 01 10 20 30 40", joined.text());
    joined.put(Packet());
    EXPECT_EQ(10u, joined.length());

    EXPECT_DEATH(p.sub(5, 0), HasSubstr("start+len<=_length()"));
    EXPECT_DEATH(p.sub(1, 5), HasSubstr("start<=_length()"));
    EXPECT_DEATH(p.sub(0xFFFFFFFFu, 1), HasSubstr("start+len<=_length()"));
}

TEST(Packet, BulkAccessForSocketLayers)
{
    Packet p = make({});
    unsigned char bytes[] = {0xCA, 0xFE, 0xBA, 0xBE};
    p.append(bytes, 4);
    p.drop_head(1);
    EXPECT_EQ("FE BA BE", p.text());
    p.tail_space()[0] = 0x77;
    p.advance_tail(1);
    EXPECT_EQ("FE BA BE 77", p.text());
    EXPECT_EQ(0xFE, p.payload()[0]);
    EXPECT_DEATH(p.drop_head(5), HasSubstr("len<=_length()"));
    EXPECT_DEATH(p.advance_tail(65536), HasSubstr("len<=_tailroom()"));
}

TEST(Packet, TextAndDumps)
{
    Packet p = make({0x01, 0xAB, 0xFF}, 2);
    EXPECT_EQ("01 AB FF", p.text());
    EXPECT_EQ("", make({}).text());
    EXPECT_EQ("(null)", Packet().text());

    EXPECT_EQ("head=2, data=3, tail=65531", dumped(p));
    std::ostringstream none;
    EXPECT_FALSE(Packet().dump(none));
    EXPECT_EQ("", none.str());

    std::ostringstream context;
    EXPECT_TRUE(p.dump_context(context));
    EXPECT_EQ("dump: 1 ab ff", context.str());
    std::ostringstream empty;
    EXPECT_TRUE(make({}).dump_context(empty));
    EXPECT_EQ("", empty.str());
    EXPECT_FALSE(Packet().dump_context(empty));
}

TEST(PacketDeathTest, ProgrammingErrorsTerminateWithTheirReport)
{
    Packet null;
    EXPECT_DEATH(null.put8(1), HasSubstr("PACKET ASSERTION FAILED!\nnull packet\n(null)\n"));
    EXPECT_DEATH(null.pull8(), HasSubstr("null packet"));
    EXPECT_DEATH(null.reserve_head(65537), HasSubstr("PACKET ASSERTION FAILED!\nlength>packet_max_size\n(null)\n"));
    EXPECT_DEATH(null.reserve_tail(65537), HasSubstr("len>packet_max_size"));
    EXPECT_DEATH(null.check("put"), HasSubstr("packet check fail\nafter \"put\" packet is null\nterminate.\n"));

    Packet full = make({}, 65536);
    EXPECT_DEATH(full.put8(1), HasSubstr("PACKET ASSERTION FAILED!\nlen<=_tailroom()\nhead=65536, data=0, tail=0\n"));

    // Reserving room on an existing body checks the side the payload moves to.
    Packet nearly_full = make({1, 2}, 65530);
    EXPECT_DEATH(nearly_full.reserve_head(5), HasSubstr("new_len>packet_max_size"));
    nearly_full.reserve_head(4);
    EXPECT_EQ(0u, nearly_full.tailroom());
    Packet front = make({1, 2}, 3);
    EXPECT_DEATH(front.reserve_tail(4), HasSubstr("_tailroom()+len <= packet_max_size"));
    front.reserve_tail(3);
    EXPECT_EQ(0u, front.headroom());
}

namespace {

struct Counted {
    explicit Counted(int* deleted) : deleted(deleted) {}
    virtual ~Counted() { ++*deleted; }
    int* deleted;
    uint32_t ref_count = 0;
};

} // namespace

TEST(SmartPointer, LastHandleDeletesAndSelfAssignmentKeepsTheObject)
{
    int deleted = 0;
    {
        Smart_pointer<Counted> a(new Counted(&deleted));
        Smart_pointer<Counted>& alias = a;
        a = alias;
        a = alias.get() ? const_cast<Counted*>(alias.get()) : nullptr;
        EXPECT_EQ(0, deleted);
        EXPECT_EQ(1u, a.get()->ref_count);
        Smart_pointer<Counted> b = a;
        EXPECT_EQ(2u, a.get()->ref_count);
        a = nullptr;
        EXPECT_EQ(0, deleted);
    }
    EXPECT_EQ(1, deleted);

    Packet p = make({1});
    Packet& same = p;
    p = same;
    EXPECT_EQ("01", p.text());
}

TEST(SmartPointerDeathTest, NullModificationIsFatal)
{
    Smart_pointer<Counted> none;
    EXPECT_DEATH(none->deleted = nullptr, HasSubstr("SMART POINTER ASSERTION!\n"));
    EXPECT_DEATH(SharedPtrAssertion(), HasSubstr("SHARED POINTER ASSERTION!\n"));
}
