// The stand-in Clinora with a window: the host's main window around the
// plug-in. A ribbon shows the framework's tabs, groups and buttons; a click
// on a button or a tab becomes the plug-in's event; the child windows the
// plug-in opens show in a multiple-document area, the main reports window
// as its Qt view. After every event the window shows the framework again:
// the ribbon's enabled and visible flags, the active tab, the child windows
// and the active one (whose form is told it became active). A patient the
// plug-in recalls gets the host's chart window (chart_window.h).
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/variant.h"
#include "plugin/plugin.h"
#include "standin/standin_host.h"

class QMdiArea;
class QMdiSubWindow;
class QTabWidget;
class QToolButton;

namespace lirvo::desk {

class ChartWindow;

class DeskWindow final : public QMainWindow {
 public:
  // `host` and `plugin` must outlive the window.
  DeskWindow(std::shared_ptr<standin::StandinHost> host, plugin::Plugin& plugin,
             QWidget* parent = nullptr);
  ~DeskWindow() override;

  // Sends the plug-in one event with `argument` (Empty: none), then shows
  // the framework again.
  void SendEvent(const std::string& event, const host::Variant& argument = {});
  // The person clicks the ribbon tab `caption`.
  void ClickTab(const std::string& caption);

  QTabWidget& Ribbon() const { return *ribbon_; }
  QMdiArea& Children() const { return *area_; }
  // Opens the chart window of a patient, or brings the open one forward
  // with the chart read again; nullptr when the archive has no such patient.
  ChartWindow* OpenChart(int64_t patient_id);
  // The ribbon button of a command, nullptr when none.
  QToolButton* Button(int32_t command_id) const;

 private:
  // Rebuilds the ribbon's pages when the framework's tabs changed, and
  // shows the controls' flags and the active tab.
  void ShowRibbon();
  void ShowActiveTab();
  // Opens a sub-window for every shown child that has none, closes those
  // whose child went, and activates the active child's.
  void ShowChildren();
  QWidget* ViewOf(const std::shared_ptr<host::EmbeddedForm>& form);

  std::shared_ptr<standin::StandinHost> host_;
  plugin::Plugin& plugin_;
  QTabWidget* ribbon_;
  QMdiArea* area_;
  // What the ribbon pages were built from, to tell when to rebuild.
  std::vector<const void*> built_tabs_;
  std::map<int32_t, QToolButton*> buttons_;
  std::map<const standin::StandinChildForm*, QMdiSubWindow*> windows_;
  // The host's own chart windows, by patient.
  std::map<int64_t, QMdiSubWindow*> charts_;
};

}  // namespace lirvo::desk
