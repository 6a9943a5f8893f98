// UI hooks: nothing blocks without a display, and the recorder answers as scripted.
#include <gtest/gtest.h>

#include "platform/ui_hooks.h"
#include "recording_ui_hooks.h"

#include <thread>

using namespace platform;

TEST(UiHooksTest, WithoutHooksBoxesAnswerTheirDefaultButton) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Ui().MessageBox("Delete?", "Warning", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(Ui().MessageBox("Delete?", "Warning", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(Ui().MessageBox("Go?", "Q", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(Ui().MessageBox("Done", "Info", MB_OK), IDOK);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Warning: Delete?"), std::string::npos);
  EXPECT_EQ(Ui().PopupMenu({{1043, "Play", true, {}}}), 0u);
  EXPECT_FALSE(Ui().FileDialog({}).has_value());
}

TEST(UiHooksTest, PostedMessagesRunInOrderOnePerPump) {
  std::vector<int> ran;
  Ui().Post([&] { ran.push_back(1); });
  Ui().Post([&] { ran.push_back(2); });
  EXPECT_TRUE(ran.empty());
  EXPECT_TRUE(Ui().PumpOne());
  EXPECT_EQ(ran, std::vector<int>{1});
  EXPECT_TRUE(Ui().PumpOne());
  EXPECT_FALSE(Ui().PumpOne());
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(UiHooksTest, TickCountMovesForward) {
  const auto start = Ui().TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  EXPECT_GE(Ui().TickCount() - start, 10u);
}
