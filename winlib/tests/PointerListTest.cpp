// CPointerList: cursor navigation, swapping, removal, and the report of a node
// deleted while it still holds a value.
#include <string>

#include "WinlibTestSupport.h"
#include "winlib/CPointerList.h"

namespace {

int g_values[4] = {10, 11, 12, 13};

class WinlibPointerList : public WinlibTest {
protected:
    void Fill(CPointerList& list) {
        for (int& value : g_values) {
            ASSERT_EQ(list.Append(&value), 1);
        }
    }
};

TEST_F(WinlibPointerList, CursorWalksTheListInOrder) {
    CPointerList list;
    EXPECT_EQ(list.First(), nullptr);
    Fill(list);
    ASSERT_EQ(list.Prepend(&g_values[3]), 1);
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.First(), &g_values[3]);
    EXPECT_EQ(list.PeekNext(), &g_values[0]);
    EXPECT_EQ(list.Next(), &g_values[0]);
    EXPECT_EQ(list.Current(), &g_values[0]);
    EXPECT_EQ(list.GoTo(4), &g_values[3]);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.GoTo(5), nullptr);
    list.ClearAndRemoveAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(WinlibPointerList, SwapNeedsTwoNodes) {
    CPointerList list;
    Fill(list);
    list.GoTo(1);
    EXPECT_EQ(list.SwapWithNext(), 1);
    EXPECT_EQ(list.GoTo(1), &g_values[2]);
    EXPECT_EQ(list.GoTo(2), &g_values[1]);
    list.GoTo(3);
    EXPECT_EQ(list.SwapWithNext(), 0);
    list.ClearAndRemoveAll();
}

TEST_F(WinlibPointerList, ClearedNodesAreRemovedQuietly) {
    CPointerList list;
    Fill(list);
    list.GoTo(2);
    list.ClearCurrent();
    list.RemoveCurrent();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Current(), &g_values[3]) << "the cursor moves on to the next node";
    list.First();
    list.ClearCurrent();
    list.RemoveFirst();
    EXPECT_EQ(list.First(), &g_values[1]);
    list.ClearAndRemoveAll();
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::string>{});
}

TEST_F(WinlibPointerList, NodeDeletedWithItsValueIsReportedButRemoved) {
    {
        CPointerList list;
        Fill(list);
        list.RemoveFirst();
        EXPECT_EQ(list.Count(), 3);
    }
    // One report for the removed node and one for each node the list's end removed.
    EXPECT_EQ(boxes.TakeTexts(),
              std::vector<std::string>(4, "Zu loeschendes Listenelement nicht leer(0)"));
}

}  // namespace
