#include "desk/desk_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "base/runtime_error.h"
#include "desk/chart_window.h"
#include "forms/frm_referti_lirvo.h"
#include "qt/main_window_view.h"
#include "qt/qt_text.h"
#include "standin/host_form.h"

namespace lirvo::desk {

using qt::ToQString;

namespace {

// A sub-window that tells the framework when the person closes it.
class ChildWindow final : public QMdiSubWindow {
 public:
  explicit ChildWindow(std::function<void()> on_close) : on_close_(std::move(on_close)) {
    setAttribute(Qt::WA_DeleteOnClose);
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (on_close_) on_close_();
    QMdiSubWindow::closeEvent(event);
  }

 private:
  std::function<void()> on_close_;
};

}  // namespace

DeskWindow::DeskWindow(std::shared_ptr<standin::StandinHost> host, plugin::Plugin& plugin,
                       QWidget* parent)
    : QMainWindow(parent),
      host_(std::move(host)),
      plugin_(plugin),
      ribbon_(new QTabWidget),
      area_(new QMdiArea) {
  setWindowTitle(ToQString(standin::kMainTabCaption));
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  ribbon_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  layout->addWidget(ribbon_);
  layout->addWidget(area_, 1);
  setCentralWidget(central);
  connect(ribbon_, &QTabWidget::tabBarClicked, this, [this](int index) {
    if (index >= 0) ClickTab(qt::ToUtf8(ribbon_->tabText(index)));
  });
  host_->Framework().SetCallHook([this](const std::string& call, std::vector<host::Variant> args) {
    if (call != "RichiamaPaziente" || args.empty()) return;
    QString shown =
        QStringLiteral("Paziente richiamato: ") + ToQString(host::Describe(args.front()));
    ChartWindow* chart = nullptr;
    try {
      chart = OpenChart(host::ToLong(args.front()));
    } catch (const RuntimeError&) {
      // Not a patient number: there is no chart to show.
    }
    if (!chart) shown += QStringLiteral(" (nessuna scheda in archivio)");
    statusBar()->showMessage(shown);
    // The plug-in brings the host's own tab forward before it recalls.
    ShowActiveTab();
  });
  ShowRibbon();
}

DeskWindow::~DeskWindow() {
  host_->Framework().SetCallHook(nullptr);
  // The views go before the forms they show.
  for (const auto& [child, window] : windows_) delete window;
  for (const auto& [patient, window] : std::exchange(charts_, {})) delete window;
}

void DeskWindow::SendEvent(const std::string& event, const host::Variant& argument) {
  const bool none = std::holds_alternative<host::Empty>(argument);
  host::ParamArray param = host::ParamArray::Of(none ? std::vector<host::Variant>{}
                                                     : std::vector<host::Variant>{argument});
  const auto active_before = host_->Framework().ActiveChild();
  std::shared_ptr<host::HostApp> app = host_;
  plugin_.Evento(event, app, param);
  ShowRibbon();
  ShowChildren();
  // The event may have saved into a chart that is open.
  for (const auto& [patient, window] : charts_)
    static_cast<ChartWindow*>(window->widget())->Refresh();
  // A child window that has just become the active one is told so.
  const auto active = host_->Framework().ActiveChild();
  if (active && active != active_before && active->Form()) active->Form()->Activate();
}

void DeskWindow::ClickTab(const std::string& caption) {
  host_->Framework().ActivateTab(caption);
  SendEvent(plugin::kEventActiveTab, caption);
}

QToolButton* DeskWindow::Button(int32_t command_id) const {
  const auto found = buttons_.find(command_id);
  return found == buttons_.end() ? nullptr : found->second;
}

void DeskWindow::ShowRibbon() {
  standin::StandinFramework& framework = host_->Framework();
  std::vector<const void*> tabs;
  for (const auto& tab : framework.Tabs()) tabs.push_back(tab.get());
  if (tabs != built_tabs_ || ribbon_->count() == 0) {
    built_tabs_ = tabs;
    buttons_.clear();
    while (ribbon_->count() > 0) {
      QWidget* page = ribbon_->widget(0);
      ribbon_->removeTab(0);
      delete page;
    }
    ribbon_->addTab(new QWidget, ToQString(standin::kMainTabCaption));
    for (const auto& tab : framework.Tabs()) {
      auto* page = new QWidget;
      auto* row = new QHBoxLayout(page);
      for (const auto& group : tab->Groups()) {
        auto* box = new QGroupBox(ToQString(group->Caption()));
        auto* buttons = new QHBoxLayout(box);
        for (const auto& control : group->Controls()) {
          auto* button = new QToolButton;
          const bool whole_group =
              control->GetKind() == standin::StandinRibbonControl::Kind::kGroupControl;
          button->setText(ToQString(whole_group ? group->Caption() : control->Caption()));
          button->setToolTip(ToQString(control->Tooltip()));
          const QString icon = ToQString(framework.IconOf(control->CommandId()));
          if (!icon.isEmpty() && QFileInfo::exists(icon)) {
            button->setIcon(QIcon(icon));
            button->setIconSize(QSize(32, 32));
            button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
          }
          const int32_t command = control->CommandId();
          connect(button, &QToolButton::clicked, this,
                  [this, command] { SendEvent(plugin::kEventExecute, int64_t{command}); });
          buttons->addWidget(button);
          buttons_.try_emplace(command, button);
        }
        row->addWidget(box);
      }
      row->addStretch(1);
      ribbon_->addTab(page, ToQString(tab->Caption()));
    }
  }
  for (const auto& tab : framework.Tabs()) {
    for (const auto& group : tab->Groups()) {
      for (const auto& control : group->Controls()) {
        if (QToolButton* button = Button(control->CommandId())) {
          button->setEnabled(control->Enabled());
          button->setVisible(control->Visible());
        }
      }
    }
  }
  ShowActiveTab();
}

void DeskWindow::ShowActiveTab() {
  for (int i = 0; i < ribbon_->count(); ++i) {
    if (qt::ToUtf8(ribbon_->tabText(i)) == host_->Framework().ActiveTab()) {
      ribbon_->setCurrentIndex(i);
    }
  }
}

ChartWindow* DeskWindow::OpenChart(int64_t patient_id) {
  if (const auto open = charts_.find(patient_id); open != charts_.end()) {
    auto* chart = static_cast<ChartWindow*>(open->second->widget());
    chart->Refresh();
    open->second->showMaximized();
    area_->setActiveSubWindow(open->second);
    return chart;
  }
  const auto patient = host_->Archive().FindPatient(patient_id);
  if (!patient) return nullptr;
  auto* chart = new ChartWindow(host_->Archive(), patient_id);
  auto* window = new ChildWindow([this, patient_id] { charts_.erase(patient_id); });
  window->setWidget(chart);
  window->setWindowTitle(ToQString("Scheda " + patient->cognome + " " + patient->nome));
  area_->addSubWindow(window);
  window->showMaximized();
  area_->setActiveSubWindow(window);
  charts_.emplace(patient_id, window);
  return chart;
}

QWidget* DeskWindow::ViewOf(const std::shared_ptr<host::EmbeddedForm>& form) {
  if (auto* reports = dynamic_cast<forms::frmRefertiLirvo*>(form.get())) {
    return new qt::ReportsWindowView(*reports);
  }
  return new QLabel(form ? ToQString(form->Name()) : QString());
}

void DeskWindow::ShowChildren() {
  standin::StandinFramework& framework = host_->Framework();
  std::map<const standin::StandinChildForm*, QMdiSubWindow*> kept;
  for (const auto& child : framework.Children()) {
    const auto found = windows_.find(child.get());
    if (found != windows_.end()) {
      found->second->setWindowTitle(ToQString(child->Caption()));
      kept.insert(*found);
      windows_.erase(found);
      continue;
    }
    if (!child->Shown()) continue;
    const std::string caption = child->Caption();
    auto* window = new ChildWindow([this, child = child.get(), caption] {
      windows_.erase(child);
      host_->Framework().CloseChild(caption);
    });
    window->setWidget(ViewOf(child->Form()));
    window->setWindowTitle(ToQString(caption));
    if (!child->Icon().empty()) window->setWindowIcon(QIcon(ToQString(child->Icon())));
    area_->addSubWindow(window);
    // The host's child windows fill its area.
    window->showMaximized();
    kept.emplace(child.get(), window);
  }
  // Children the framework no longer has.
  for (const auto& [child, window] : windows_) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    delete window;
  }
  windows_ = std::move(kept);
  if (const auto active = framework.ActiveChild()) {
    const auto found = windows_.find(active.get());
    if (found != windows_.end()) area_->setActiveSubWindow(found->second);
  }
}

}  // namespace lirvo::desk
