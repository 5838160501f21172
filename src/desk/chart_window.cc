#include "desk/chart_window.h"

#include <QFontDatabase>
#include <string>

#include "base/runtime_error.h"
#include "qt/qt_text.h"
#include "standin/chart_setup.h"

namespace lirvo::desk {

ChartWindow::ChartWindow(standin::SqliteArchive& archive, int64_t patient_id, QWidget* parent)
    : QPlainTextEdit(parent), archive_(archive), patient_id_(patient_id) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  // The fields line up in columns only in a fixed-pitch font.
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Refresh();
}

void ChartWindow::Refresh() {
  std::string text;
  try {
    text = standin::ChartText(archive_, patient_id_);
    if (text.empty()) text = "patient " + std::to_string(patient_id_) + ": not in the archive\n";
  } catch (const RuntimeError& e) {
    // An archive that cannot be read now (locked, gone) leaves the window
    // saying so; the next refresh tries again.
    text = "patient " + std::to_string(patient_id_) + ": the archive cannot be read (" + e.what() +
           ")\n";
  }
  setPlainText(qt::ToQString(text));
}

}  // namespace lirvo::desk
