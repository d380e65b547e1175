#include <gtest/gtest.h>

#include <vector>

#include "tables/format/EntryList.h"

namespace {

int g_freed = 0;

struct CountedNode : EntryNode
{
    explicit CountedNode(int v = 0) : value(v) {}
    ~CountedNode() override { ++g_freed; }
    int value;
};

// Walks the list both ways and checks every invariant; returns the values in order.
std::vector<int> CheckedValues(const EntryList& list)
{
    std::vector<int> forward;
    const EntryNode* p = list.pHead;
    const EntryNode* last = nullptr;
    EXPECT_TRUE(!list.pHead || list.pHead->pPrev == nullptr);
    EXPECT_TRUE(!list.pTail || list.pTail->pNext == nullptr);
    while (p) {
        EXPECT_EQ(p->pPrev, last);
        forward.push_back(static_cast<const CountedNode*>(p)->value);
        last = p;
        p = p->pNext;
        if (forward.size() > 10000)
            break;
    }
    EXPECT_EQ(last, list.pTail);
    EXPECT_EQ(static_cast<int>(forward.size()), list.iCount);
    EXPECT_EQ(list.iCount == 0, list.pHead == nullptr && list.pTail == nullptr);
    return forward;
}

EntryList* ListOf(std::initializer_list<int> values)
{
    auto* list = new EntryList;
    for (int v : values)
        list->AddTail(new CountedNode(v));
    return list;
}

using Values = std::vector<int>;

} // namespace

TEST(EntryNode, LinkAndUnlinkKeepNeighboursConsistent)
{
    CountedNode a(1), b(2), c(3);
    b.LinkAfter(&a);
    c.LinkBefore(&b);
    EXPECT_EQ(a.pNext, &c);
    EXPECT_EQ(c.pPrev, &a);
    EXPECT_EQ(c.pNext, &b);
    EXPECT_EQ(b.pPrev, &c);
    c.Unlink();
    EXPECT_EQ(a.pNext, &b);
    EXPECT_EQ(b.pPrev, &a);
    EXPECT_EQ(c.pNext, nullptr);
    EXPECT_EQ(c.pPrev, nullptr);
    c.Unlink(); // harmless without neighbours
    c.LinkAfter(nullptr);
    EXPECT_EQ(c.pPrev, nullptr);
    b.Unlink();
    a.Unlink();
}

TEST(EntryList, GetAtRefusesPositionsOutsideTheList)
{
    EntryList empty;
    EXPECT_EQ(empty.GetAt(0), nullptr);
    std::unique_ptr<EntryList> list(ListOf({10, 20, 30, 40, 50}));
    EXPECT_EQ(list->GetAt(-1), nullptr);
    EXPECT_EQ(list->GetAt(5), nullptr);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(static_cast<CountedNode*>(list->GetAt(i))->value, (i + 1) * 10);
}

TEST(EntryList, RemoveAtEndsAndOnlyNode)
{
    std::unique_ptr<EntryList> one(ListOf({7}));
    std::unique_ptr<EntryNode> taken(one->RemoveAt(0));
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->pNext, nullptr);
    EXPECT_EQ(taken->pPrev, nullptr);
    EXPECT_EQ(CheckedValues(*one), Values{});
    auto* fresh = new CountedNode(8);
    one->AddTail(fresh);
    EXPECT_EQ(one->pHead, fresh);
    EXPECT_EQ(one->pTail, fresh);

    std::unique_ptr<EntryList> list(ListOf({1, 2, 3}));
    std::unique_ptr<EntryNode> last(list->RemoveAt(2));
    EXPECT_EQ(static_cast<CountedNode*>(last.get())->value, 3);
    EXPECT_EQ(CheckedValues(*list), (Values{1, 2}));
    EXPECT_EQ(list->pTail->pNext, nullptr);
    EXPECT_EQ(list->RemoveAt(2), nullptr);
    std::unique_ptr<EntryNode> first(list->RemoveAt(0));
    EXPECT_EQ(CheckedValues(*list), (Values{2}));
}

TEST(EntryList, RemoveHeadUntilEmpty)
{
    EntryList empty;
    EXPECT_EQ(empty.RemoveHead(), nullptr);
    EXPECT_EQ(CheckedValues(empty), Values{});

    std::unique_ptr<EntryList> list(ListOf({1, 2}));
    std::unique_ptr<EntryNode> a(list->RemoveHead());
    EXPECT_EQ(CheckedValues(*list), (Values{2}));
    std::unique_ptr<EntryNode> b(list->RemoveHead());
    EXPECT_EQ(CheckedValues(*list), Values{});
    EXPECT_EQ(static_cast<CountedNode*>(b.get())->value, 2);
}

TEST(EntryList, InsertAroundEndsAndUnknownTargets)
{
    std::unique_ptr<EntryList> list(ListOf({2, 3}));
    list->InsertBefore(new CountedNode(1), list->pHead);
    list->InsertAfter(new CountedNode(4), list->pTail);
    EXPECT_EQ(CheckedValues(*list), (Values{1, 2, 3, 4}));
    list->InsertAfter(new CountedNode(25), list->GetAt(1));
    list->InsertBefore(new CountedNode(35), list->GetAt(4));
    EXPECT_EQ(CheckedValues(*list), (Values{1, 2, 25, 3, 35, 4}));

    CountedNode stranger(99);
    CountedNode orphan(5);
    list->InsertAfter(&orphan, &stranger);
    list->InsertBefore(&orphan, &stranger);
    EXPECT_EQ(CheckedValues(*list), (Values{1, 2, 25, 3, 35, 4}));
    EXPECT_EQ(orphan.pNext, nullptr);

    EntryList empty;
    empty.InsertAfter(&orphan, &stranger);
    empty.InsertBefore(&orphan, &stranger);
    empty.AddTail(nullptr);
    list->AddTail(nullptr);
    list->InsertAfter(nullptr, list->pHead);
    EXPECT_EQ(CheckedValues(empty), Values{});
    EXPECT_EQ(list->iCount, 6);
}

TEST(EntryList, RemoveAllFreesEveryNodeOnce)
{
    g_freed = 0;
    EntryList empty;
    empty.RemoveAll();
    EXPECT_EQ(g_freed, 0);

    std::unique_ptr<EntryList> list(ListOf({1, 2, 3, 4, 5, 6}));
    list->RemoveAll();
    EXPECT_EQ(g_freed, 6);
    EXPECT_EQ(CheckedValues(*list), Values{});
    list->AddTail(new CountedNode(1));
    list->AddTail(new CountedNode(2));
    list.reset();
    EXPECT_EQ(g_freed, 8);
}

// The appender used by the loaders must leave exactly what AddTail leaves,
// on an empty list and behind existing nodes alike.
TEST(EntryListAppender, LeavesWhatAddTailLeaves)
{
    for (int existing : {0, 1, 3}) {
        EntryList byAddTail;
        EntryList byAppender;
        for (int i = 0; i < existing; ++i) {
            byAddTail.AddTail(new CountedNode(100 + i));
            byAppender.AddTail(new CountedNode(100 + i));
        }
        {
            EntryList::Appender append(byAppender);
            for (int i = 0; i < 5; ++i) {
                byAddTail.AddTail(new CountedNode(i));
                append.Add(new CountedNode(i));
                append.Add(nullptr); // no node: no effect, as with AddTail
            }
            byAddTail.AddTail(nullptr);
        }
        EXPECT_EQ(CheckedValues(byAppender), CheckedValues(byAddTail)) << existing;
        EXPECT_EQ(byAppender.iCount, existing + 5);

        // Finishing early, finishing twice and using the list afterwards.
        EntryList::Appender more(byAppender);
        more.Add(new CountedNode(50));
        more.Finish();
        more.Finish();
        byAppender.AddTail(new CountedNode(51));
        byAddTail.AddTail(new CountedNode(50));
        byAddTail.AddTail(new CountedNode(51));
        EXPECT_EQ(CheckedValues(byAppender), CheckedValues(byAddTail)) << existing;
        EntryNode* last = byAppender.RemoveAt(byAppender.iCount - 1);
        EXPECT_EQ(last->pNext, nullptr);
        delete last;
    }
}
