#include "core/list.h"

#include <gtest/gtest.h>

#include <vector>

namespace ovoid {
namespace {

struct Node {
  ListLink<Node> link;
  int id = 0;
};

// The ids from head to tail, after checking that every back link mirrors a forward link.
std::vector<int> Ids(const List<Node>& list) {
  std::vector<int> ids;
  const Node* prev = nullptr;
  for (const Node* n = list.head; n != nullptr; n = n->link.next) {
    EXPECT_EQ(n->link.prev, prev) << "back link of " << n->id;
    ids.push_back(n->id);
    prev = n;
  }
  EXPECT_EQ(list.tail, prev);
  return ids;
}

class ListTest : public ::testing::Test {
 protected:
  ListTest() {
    for (int i = 0; i < 4; ++i) nodes[i].id = i;
  }
  void AppendAll() {
    for (Node& n : nodes) ListAppend(&n, list);
  }

  struct MoveCase {
    const char* name;
    int element;
    int anchor;
    std::vector<int> want;
  };
  // Each case moves nodes[element] beside nodes[anchor] in a fresh list 0 1 2 3.
  void ExpectMoves(void (*move)(Node*, List<Node>&, Node*), const std::vector<MoveCase>& cases) {
    for (const MoveCase& c : cases) {
      SCOPED_TRACE(c.name);
      list = {};
      AppendAll();
      move(&nodes[c.element], list, &nodes[c.anchor]);
      EXPECT_EQ(Ids(list), c.want);
    }
  }
  Node nodes[4];
  List<Node> list;
};

TEST_F(ListTest, AppendToEmptyMakesHeadAndTailWithNullLinks) {
  EXPECT_EQ(ListAppend(&nodes[0], list), &nodes[0]);
  EXPECT_EQ(list.head, &nodes[0]);
  EXPECT_EQ(list.tail, &nodes[0]);
  EXPECT_EQ(nodes[0].link.prev, nullptr);
  EXPECT_EQ(nodes[0].link.next, nullptr);
}

TEST_F(ListTest, AppendKeepsOrderAndIgnoresNull) {
  AppendAll();
  EXPECT_EQ(ListAppend<Node>(nullptr, list), nullptr);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(ListTest, RemoveFromEveryPosition) {
  struct Case {
    const char* name;
    int removed;
    std::vector<int> left;
  };
  const Case cases[] = {
      {"head", 0, {1, 2, 3}},
      {"middle", 2, {0, 1, 3}},
      {"tail", 3, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    list = {};
    AppendAll();
    ListRemove(&nodes[c.removed], list);
    EXPECT_EQ(Ids(list), c.left);
  }
}

TEST_F(ListTest, RemovingTheOnlyElementEmptiesTheList) {
  ListAppend(&nodes[0], list);
  ListRemove(&nodes[0], list);
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
}

TEST_F(ListTest, RemovingANeverLinkedElementChangesNothing) {
  ListAppend(&nodes[0], list);
  ListAppend(&nodes[1], list);
  Node fresh;
  ListRemove(&fresh, list);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 1}));
  List<Node> empty;
  ListRemove(&fresh, empty);
  EXPECT_EQ(empty.head, nullptr);
  EXPECT_EQ(empty.tail, nullptr);
}

TEST_F(ListTest, MoveBefore) {
  const std::vector<MoveCase> cases = {
      {"head before itself", 0, 0, {0, 1, 2, 3}},
      {"tail before head", 3, 0, {3, 0, 1, 2}},
      {"head before tail", 0, 3, {1, 2, 0, 3}},
      {"middle before its predecessor", 2, 1, {0, 2, 1, 3}},
      {"already just before", 1, 2, {0, 1, 2, 3}},
  };
  ExpectMoves(ListMoveBefore<Node>, cases);
}

TEST_F(ListTest, MoveAfter) {
  const std::vector<MoveCase> cases = {
      {"tail after itself", 3, 3, {0, 1, 2, 3}},
      {"head after tail", 0, 3, {1, 2, 3, 0}},
      {"tail after head", 3, 0, {0, 3, 1, 2}},
  };
  ExpectMoves(ListMoveAfter<Node>, cases);
}

TEST_F(ListTest, NewestMovedBeforeTheTailOfTwo) {
  // The shape of a pass-through insertion: append, then move before the old tail.
  ListAppend(&nodes[0], list);
  ListAppend(&nodes[1], list);
  ListAppend(&nodes[2], list);
  ListMoveBefore(&nodes[2], list, &nodes[1]);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(list.tail, &nodes[1]);
}

}  // namespace
}  // namespace ovoid
