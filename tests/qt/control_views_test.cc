#include "qt/control_views.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <optional>
#include <string>

#include "qt/qt_text.h"

namespace lirvo::qt {
namespace {

using controls::Bounds;
using controls::Rgb;

// A window in the forms' font on a known face colour.
class ViewWindow : public QWidget {
 public:
  static constexpr int32_t kFace = Rgb(212, 208, 200);
  ViewWindow() {
    setFont(FormFont());
    QPalette face = palette();
    face.setColor(QPalette::Window, ToQColor(kFace));
    setPalette(face);
    setAutoFillBackground(true);
    resize(200, 100);
  }
};

// A label shows its model's font and colour as they change, and the window's
// where the model has none.
TEST(LabelViewTest, FollowsTheLabelsFontAndColour) {
  ViewWindow window;
  controls::Label label("laPath", Bounds{0, 0, 2400, 300}, "C:\\Referti\\");
  LabelView view(label, &window);
  const QLabel& shown = static_cast<QLabel&>(view.Widget());
  const QColor window_text = window.palette().color(QPalette::WindowText);
  struct Case {
    std::string font;
    bool bold;
    std::optional<int32_t> fore;
    QString family;  // empty: the window's
  };
  const Case cases[] = {
      {"Courier New", false, Rgb(64, 64, 64), "Courier New"},
      {"Arial", true, std::nullopt, "Arial"},
      {"", true, Rgb(255, 0, 0), ""},
      {"", false, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font + (c.bold ? " bold" : ""));
    label.SetFontName(c.font);
    label.SetFontBold(c.bold);
    label.SetForeColor(c.fore);
    EXPECT_EQ(shown.font().family(), c.family.isEmpty() ? window.font().family() : c.family);
    EXPECT_EQ(shown.font().bold(), c.bold);
    EXPECT_EQ(shown.font().pointSizeF(), window.font().pointSizeF());
    EXPECT_EQ(shown.palette().color(QPalette::WindowText),
              c.fore ? ToQColor(*c.fore) : window_text);
  }
  EXPECT_EQ(shown.font(), window.font());
}

// A panel paints its back colour and its border where it has them, and
// nothing (the window's face) where it has neither.
TEST(PanelViewTest, PaintsItsBackAndBorder) {
  ViewWindow window;
  controls::Panel panel("Shape1", Bounds{150, 150, 1500, 750});  // 10,10 100x50 pixels
  PanelView view(panel, &window);
  window.show();
  const auto pixel = [&](int x, int y) { return window.grab().toImage().pixel(x, y); };
  const auto rgb = [](int32_t color) { return ToQColor(color).rgb(); };
  const QRgb face = rgb(ViewWindow::kFace);
  EXPECT_EQ(pixel(10, 10), face);
  EXPECT_EQ(pixel(50, 30), face);

  panel.SetBackColor(Rgb(255, 255, 255));
  panel.SetBorderColor(Rgb(192, 192, 192));
  EXPECT_EQ(pixel(10, 10), rgb(Rgb(192, 192, 192)));
  EXPECT_EQ(pixel(109, 59), rgb(Rgb(192, 192, 192)));
  EXPECT_EQ(pixel(11, 11), rgb(Rgb(255, 255, 255)));
  EXPECT_EQ(pixel(110, 60), face);

  panel.SetBackColor(std::nullopt);
  EXPECT_EQ(pixel(50, 30), face);
  EXPECT_EQ(pixel(10, 30), rgb(Rgb(192, 192, 192)));
}

}  // namespace
}  // namespace lirvo::qt
