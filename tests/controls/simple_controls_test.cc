#include "controls/simple_controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::controls {
namespace {

using test_support::ThrowsRuntimeError;

TEST(ControlTest, NegativeSizesRaiseAndChangeNothing) {
  Panel panel{"Picture1", {0, 4515, 7440, 765}};
  int changes = 0;
  panel.AddListener([&](const Control&) { ++changes; });
  EXPECT_THAT([&] { panel.SetWidth(-1); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_THAT([&] { panel.SetHeight(-15); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_EQ(panel.GetBounds(), (Bounds{0, 4515, 7440, 765}));
  EXPECT_EQ(changes, 0);
  panel.SetWidth(0);
  panel.SetTop(-200);  // positions may be negative
  panel.SetTop(-200);  // no change, no notification
  EXPECT_EQ(changes, 2);

  // A listener that removes itself and adds another: the new one hears the
  // next change only.
  int late = 0;
  int self = 0;
  self = panel.AddListener([&](const Control&) {
    panel.RemoveListener(self);
    panel.AddListener([&](const Control&) { ++late; });
  });
  panel.SetLeft(1);
  EXPECT_EQ(late, 0);
  panel.SetLeft(2);
  EXPECT_EQ(late, 1);
  EXPECT_EQ(changes, 4);
}

TEST(ControlTest, ShownOnlyWhenEveryContainerIsVisible) {
  Panel outer{"Picture1", {}};
  Panel group{"pbFndPaz", {}};
  Button button{"cbFndPaz", {}, ".."};
  group.SetContainer(&outer);
  button.SetContainer(&group);
  EXPECT_TRUE(button.IsShown());
  outer.SetVisible(false);
  EXPECT_FALSE(button.IsShown());
  EXPECT_TRUE(button.Visible());
  EXPECT_THAT([&] { outer.SetContainer(&button); }, ThrowsRuntimeError(kErrInvalidCall));
  EXPECT_THAT([&] { outer.SetContainer(&outer); }, ThrowsRuntimeError(kErrInvalidCall));
}

TEST(TextBoxTest, ChangeHandlerRunsOnEveryNewText) {
  TextBox box{"tbPaziente", {}};
  std::vector<std::string> seen;
  box.SetOnTextChange([&] { seen.push_back(box.Text()); });
  box.AppendCharacter(U'R');
  box.AppendCharacter(U'È');
  box.SetText("RÈ");
  box.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"R", "RÈ", ""}));
}

TEST(LineTest, BoundsFollowTheEndPoints) {
  Line line{"Line2", 0, 15, 7440, 15, Rgb(255, 255, 255)};
  EXPECT_EQ(line.BorderColor(), 16777215);
  EXPECT_EQ(line.GetBounds(), (Bounds{0, 15, 7440, 0}));
  int changes = 0;
  line.AddListener([&](const Control&) { ++changes; });
  line.SetX2(-300);
  EXPECT_EQ(line.GetBounds(), (Bounds{-300, 15, 300, 0}));
  line.SetX2(-300);
  EXPECT_EQ(changes, 1);
}

// What the bar reports as it changes is compared by the end-to-end scripts.
TEST(ProgressBarTest, ValueStaysWithinMax) {
  ProgressBar bar{"ProgressBar1", {105, 225, 4140, 315}};
  int changes = 0;
  bar.AddListener([&](const Control&) { ++changes; });
  bar.SetMax(3);
  bar.SetValue(3);
  EXPECT_THAT([&] { bar.SetValue(4); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_THAT([&] { bar.SetValue(-1); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_THAT([&] { bar.SetMax(-1); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_EQ(changes, 2);
  bar.SetMax(1);
  EXPECT_EQ(bar.Value(), 1);
}

}  // namespace
}  // namespace lirvo::controls
