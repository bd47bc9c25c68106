#include "core/report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/contacts.h"
#include "core/frame.h"
#include "core/registry.h"
#include "core/rules.h"
#include "test_world.h"

namespace ovoid {
namespace {

constexpr char kRange[] = "Object number out of range for collision system: ";
constexpr char kUndefined[] = "Object not defined in collision system: ";

TEST(FormatErrorText, HostIntegersGoThroughTheNearestFloatAndTheLow32Bits) {
  struct Case {
    const char* name;
    uint32_t value;
    const char* digits;
  };
  const Case cases[] = {
      {"zero", 0, "0"},
      {"small", 5001, "5001"},
      {"largest exact", 16777216, "16777216"},
      {"first rounded", 16777217, "16777216"},
      {"minus one rounds to 2^32", 0xFFFFFFFFu, "0"},
      {"minus 129 rounds down", 0xFFFFFF7Fu, "-256"},
      {"2^31 prints negative", 0x80000000u, "-2147483648"},
      {"three billion", 3000000000u, "-1294967296"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char text[96];
    FormatErrorText(text, sizeof text, "Value: ", static_cast<float>(c.value));
    EXPECT_EQ(std::string(text), std::string("Value: ") + c.digits);
  }
}

TEST(FormatErrorText, TruncatesTowardZero) {
  char text[32];
  FormatErrorText(text, sizeof text, "v: ", 2.75f);
  EXPECT_STREQ(text, "v: 2");
  FormatErrorText(text, sizeof text, "v: ", -2.75f);
  EXPECT_STREQ(text, "v: -2");
}

TEST(ShowErrorBox, PrintsCaptionAndTextOnOneLine) {
  testing::internal::CaptureStderr();
  ShowErrorBox("Object number out of range for collision system: 0");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Collision Error: Object number out of range for collision system: 0\n");
}

using ReportTest = WorldTest;

TEST_F(ReportTest, SilentUntilArmed) {
  ReportError(world, kRange, 0u);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ReportTest, OneBoxPerArming) {
  Arm();
  ReportError(world, kRange, 0u);
  ReportError(world, kUndefined, 7u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::string(kRange) + "0");
  EXPECT_EQ(world.debugFlag, 0);
  Arm();
  ReportError(world, kUndefined, 7u);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], std::string(kUndefined) + "7");
}

TEST_F(ReportTest, StopDisarms) {
  StartCollisionDebug(world);
  StopCollision(world);
  ReportError(world, kRange, 0u);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ReportTest, CheckObjNumber) {
  NewCollObj(world, 5000, 1);
  NewCollObj(world, 1, 0);
  struct Case {
    const char* name;
    uint32_t number;
    bool accepted;
    std::string text;
  };
  const Case cases[] = {
      {"zero", 0, false, std::string(kRange) + "0"},
      {"above 5000", 5001, false, std::string(kRange) + "5001"},
      {"minus one", 0xFFFFFFFFu, false, std::string(kRange) + "0"},
      {"not registered", 4999, false, std::string(kUndefined) + "4999"},
      {"5000 registered", 5000, true, ""},
      {"1 registered", 1, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reports.clear();
    Arm();
    CollObj* obj = CheckObjNumber(world, c.number);
    EXPECT_EQ(obj != nullptr, c.accepted);
    if (c.accepted) {
      EXPECT_EQ(obj, world.objectTable[c.number]);
      EXPECT_TRUE(reports.empty());
    } else {
      EXPECT_EQ(reports, std::vector<std::string>{c.text});
    }
  }
}

using SettingsTest = WorldTest;

TEST_F(SettingsTest, FlagsStoreOneForAnyNonZero) {
  struct Case {
    uint32_t value;
    int stored;
  };
  const Case cases[] = {{0, 0},
                        {1, 1},
                        {2, 1},
                        {7, 1},
                        {static_cast<uint32_t>(-5), 1},
                        {static_cast<uint32_t>(-1), 1},
                        {0x100, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    SetEllipOptimize(world, c.value);
    SetEllipSizeMode(world, c.value);
    EXPECT_EQ(world.ellipOptimize, c.stored);
    EXPECT_EQ(world.ellipSizeMode, c.stored);
  }
}

TEST_F(SettingsTest, ConcaveModeOutsideOneToSixIsRejectedAndKept) {
  SetConcaveMode(world, 5);
  struct Case {
    uint32_t mode;
    const char* digits;
  };
  const Case cases[] = {{0, "0"}, {7, "7"}, {static_cast<uint32_t>(-1), "0"}, {0x10001, "65537"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    reports.clear();
    Arm();
    SetConcaveMode(world, c.mode);
    EXPECT_EQ(world.concaveMode, 5);
    EXPECT_EQ(reports,
              std::vector<std::string>{std::string("Invalid System Concave Setting: ") + c.digits});
  }
  for (uint32_t mode = 1; mode <= 6; ++mode) {
    SetConcaveMode(world, mode);
    EXPECT_EQ(world.concaveMode, static_cast<int32_t>(mode));
  }
}

TEST_F(SettingsTest, DefaultsAtLoad) {
  EXPECT_EQ(world.debugFlag, 0);
  EXPECT_EQ(world.ellipOptimize, 1);
  EXPECT_EQ(world.ellipSizeMode, 0);
  EXPECT_EQ(world.concaveMode, 3);
}

using StopTest = WorldTest;

TEST_F(StopTest, FreesEverythingAndKeepsSettingsAndRunState) {
  SetEllipOptimize(world, 0);
  SetEllipSizeMode(world, 1);
  SetConcaveMode(world, 6);
  SetCollisions(world, 1, 2, 2, 1, 1);
  for (uint32_t n = 1; n <= 3; ++n) {
    NewCollObj(world, n, 1);
    AddObjShape(world, n, 1);
    AddObjShape(world, n, 2);
  }
  ActivateObj(world, 2);
  ActivateObj(world, 3);
  ResetCollisionStack(world);
  world.passNumber = 4;
  world.rerunFlag = 1;
  // Contacts too, so the stop has pass records of both lists to free.
  CollBody& body = *world.objectTable[2]->body;
  NewPass(world, body);
  ListAppend(NewHit(1), body.passes.tail->hits);
  NewPass(world, *world.objectTable[1]->body);

  StopCollision(world);

  EXPECT_EQ(world.objectList.head, nullptr);
  EXPECT_EQ(world.bodyList.head, nullptr);
  EXPECT_EQ(world.activeList.head, nullptr);
  EXPECT_EQ(world.activeBodyList.head, nullptr);
  EXPECT_EQ(world.ruleList.head, nullptr);
  EXPECT_EQ(world.stackCursor, nullptr);
  for (uint32_t n = 1; n <= 3; ++n) {
    EXPECT_EQ(world.objectTable[n], nullptr);
    EXPECT_EQ(world.activeTable[n], nullptr);
  }
  for (int kind = 1; kind <= 2; ++kind) EXPECT_EQ(MemberListHead(world, kind, 1), nullptr);
  EXPECT_EQ(world.ellipOptimize, 0);
  EXPECT_EQ(world.ellipSizeMode, 1);
  EXPECT_EQ(world.concaveMode, 6);
  EXPECT_EQ(world.passNumber, 4);
  EXPECT_EQ(world.rerunFlag, 1);

  // Usable again, and a second stop in a row is harmless.
  NewCollObj(world, 1, 1);
  EXPECT_NE(world.objectTable[1], nullptr);
  StopCollision(world);
  StopCollision(world);
  EXPECT_EQ(world.objectTable[1], nullptr);
}

}  // namespace
}  // namespace ovoid
