#include "runtime/CyclicList.h"
#include "runtime/Timestamp.h"
#include "runtime/TraceBlock.h"

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
    EXPECT_EQ(&out, &timestamp(out));
    EXPECT_TRUE(std::regex_match(out.str(), std::regex(R"([0-3][0-9]/[01][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9])")))
        << out.str();
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

void append(Containers::CyclicList& head, Item& item)
{
    Containers::CyclicList::InternalAdd(&item.link, head.prev, &head);
}

void unlink(Item& item)
{
    Containers::CyclicList::InternalDel(item.link.prev, item.link.next);
    item.link.InternalInit();
}

TEST(CyclicList, KeepsItemsInInsertionOrderAndUnlinksAnyOfThem)
{
    Containers::CyclicList head;
    EXPECT_TRUE(head.empty());
    EXPECT_TRUE(head.begin() == head.end());

    Item a(1), b(2), c(3);
    append(head, a);
    append(head, b);
    append(head, c);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), values(head));

    unlink(b);
    EXPECT_EQ((std::vector<int>{1, 3}), values(head));
    EXPECT_TRUE(b.link.empty());
    unlink(a);
    unlink(c);
    EXPECT_TRUE(head.empty());
    EXPECT_EQ(&head, head.prev);
}

TEST(CyclicList, CopiedNodesAreInNoList)
{
    Containers::CyclicList head;
    Item a(1);
    append(head, a);
    Item copy = a;
    EXPECT_TRUE(copy.link.empty());
    EXPECT_EQ((std::vector<int>{1}), values(head));
}

TEST(CyclicList, IteratorsCompareByNodeAndCopy)
{
    Containers::CyclicList head;
    Item a(1);
    append(head, a);
    Containers::CyclicList::iterator it = head.begin();
    Containers::CyclicList::iterator copy;
    copy = it;
    EXPECT_TRUE(copy == it);
    EXPECT_EQ(&a.link, &*copy);
    ++copy;
    EXPECT_TRUE(copy != it);
    EXPECT_TRUE(copy == head.end());
}

} // namespace
