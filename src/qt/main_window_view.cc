#include "qt/main_window_view.h"

#include <QResizeEvent>

#include "qt/qt_text.h"

namespace lirvo::qt {

namespace {

int32_t PixelsToTwips(int pixels) { return pixels * 15; }

}  // namespace

ReportsWindowView::ReportsWindowView(forms::frmRefertiLirvo& form, QWidget* parent)
    : QWidget(parent), form_(form), grid_(new ReportGridView(form.rcReferti(), this)) {
  setFont(FormFont());
  views_.push_back(std::make_unique<WidgetView>(form_.rcReferti(), *grid_));
  grid_->SetOnHyperlinkClick([this](int32_t row, int32_t item, int32_t link) {
    form_.rcReferti_HyperlinkClick(row, item, link);
    FollowFocus();
  });
  grid_->SetOnMouseUp([this](int32_t button, int32_t shift, int32_t x, int32_t y) {
    form_.rcReferti_MouseUp(button, shift, x, y);
  });

  auto& bottom = views_.emplace_back(std::make_unique<PanelView>(form_.Picture1(), this));
  QWidget* band = &bottom->Widget();
  views_.push_back(std::make_unique<LineView>(form_.Line1(), band));
  views_.push_back(std::make_unique<LineView>(form_.Line2(), band));
  progress_ = static_cast<ProgressBarView*>(
      views_.emplace_back(std::make_unique<ProgressBarView>(form_.ProgressBar1(), band)).get());
  auto& search = views_.emplace_back(std::make_unique<PanelView>(form_.pbFndPaz(), band));
  QWidget* group = &search->Widget();
  views_.push_back(std::make_unique<LabelView>(form_.Label1(), group));
  search_box_ = static_cast<TextBoxView*>(
      views_
          .emplace_back(std::make_unique<TextBoxView>(form_.tbPaziente(), group,
                                                      [this](const std::string& typed) {
                                                        form_.TypeInSearchBox(typed);
                                                        FollowFocus();
                                                      }))
          .get());
  search_button_ = static_cast<ButtonView*>(
      views_
          .emplace_back(std::make_unique<ButtonView>(form_.cbFndPaz(), group,
                                                     [this] {
                                                       form_.cbFndPaz_Click();
                                                       FollowFocus();
                                                     }))
          .get());
  setWindowTitle(QStringLiteral("Referti"));
  resize(TwipsToPixels(form_.ScaleWidth()), TwipsToPixels(form_.ScaleHeight()));
}

ReportsWindowView::~ReportsWindowView() = default;

void ReportsWindowView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  form_.Resize(PixelsToTwips(event->size().width()), PixelsToTwips(event->size().height()));
}

void ReportsWindowView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  form_.Activate();
  FollowFocus();
}

void ReportsWindowView::FollowFocus() {
  const controls::Control* active = form_.ActiveControl();
  if (active == &form_.rcReferti()) {
    grid_->setFocus();
    return;
  }
  for (const auto& view : views_) {
    if (&view->Model() == active) view->Widget().setFocus();
  }
}

}  // namespace lirvo::qt
