#include "runtime/base/CyclicList.h"
#include "runtime/base/Timestamp.h"
#include "runtime/text/TraceBlock.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <vector>

namespace {

TEST(TraceBlock, WritesEnterAndLeaveOnlyWhenEnabled)
{
    std::ostringstream out;
    {
        Trace::Block outer(true, "outer", out);
        Trace::Block quiet(false, "quiet", out);
        out << "body\n";
    }
    EXPECT_EQ("Enter outer\nbody\nLeave outer\n", out.str());
}

TEST(Timestamp, WritesDayMonthAndTime)
{
    std::ostringstream out;
    timestamp(out) << '.';
    EXPECT_TRUE(std::regex_match(out.str(), std::regex(R"([0-3]\d/[01]\d [0-2]\d:[0-5]\d:[0-6]\d\.)"))) << out.str();
}

struct Item {
    explicit Item(int v) : value(v) {}
    Containers::CyclicList link;  // first member: a node's address is its item's
    int value;
};

std::vector<int> values(Containers::CyclicList const& head)
{
    std::vector<int> v;
    for (auto it = head.begin(); it != head.end(); ++it)
        v.push_back(reinterpret_cast<Item const*>(&*it)->value);
    return v;
}

TEST(CyclicList, KeepsItemsInInsertionOrderAndUnlinksAnyOfThem)
{
    using Containers::CyclicList;
    CyclicList head;
    EXPECT_TRUE(head.empty());
    Item a(1), b(2), c(3);
    for (Item* item : {&a, &b, &c})
        CyclicList::InternalAdd(&item->link, head.prev, &head);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), values(head));

    CyclicList::InternalDel(b.link.prev, b.link.next);
    EXPECT_EQ((std::vector<int>{1, 3}), values(head));
    CyclicList::InternalDel(a.link.prev, a.link.next);
    CyclicList::InternalDel(c.link.prev, c.link.next);
    EXPECT_TRUE(head.empty());
    EXPECT_EQ(&head, head.prev);
}

} // namespace
