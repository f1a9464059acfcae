// The drawing view control created by ProgID in its slot on the main window.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/drawing_view.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"

namespace fieldray::console {
namespace {

TEST(DrawingViewTest, TheControlSitsInItsSlotAndFollowsIt) {
  ASSERT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
  MainForm main;
  {
    DrawingView view(main);
    EXPECT_EQ(main.DXF1.Object(), &view.Host().DXF1());
    EXPECT_EQ(view.Host().Width(), 460);  // 6900 twips
    EXPECT_EQ(view.Host().DXF1().Left(), 8);
    main.DXF1.SetVisible(false);
    EXPECT_FALSE(view.Host().Visible());
    main.DXF1.SetVisible(true);
    main.DXF1.Move(120, 7740, 6000, 1500);
    EXPECT_EQ(view.Host().Width(), 400);
    EXPECT_TRUE(view.Host().Visible());
    main.Show();
    std::string error;
    EXPECT_TRUE(wc::op::Screenshot(main, (testsupport::Root() / "view.png").string(), &error)) << error;
  }
  EXPECT_EQ(main.DXF1.Object(), nullptr);
  while (winplat::DispatchPending() > 0) {
  }
}

TEST(DrawingViewTest, AnUnregisteredClassIsACreationError) {
  winplat::UnregisterServerLibrary(testsupport::ControlLibraryFile());
  MainForm main;
  try {
    DrawingView view(main);
    FAIL() << "created without registration";
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), 429);
  }
  EXPECT_EQ(main.DXF1.Object(), nullptr);
}

}  // namespace
}  // namespace fieldray::console
