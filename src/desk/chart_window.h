// The host's patient chart window: what the archive holds for one patient,
// the exams and the visit reports as `lirvo chart` lists them, so a person
// sees what an import saved. The desk opens one when the plug-in recalls a
// patient (the "SCHEDA" link), or brings the open one forward.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>

#include "standin/archive.h"

namespace lirvo::desk {

class ChartWindow final : public QPlainTextEdit {
 public:
  // `archive` must outlive the window.
  ChartWindow(standin::SqliteArchive& archive, int64_t patient_id, QWidget* parent = nullptr);

  int64_t PatientId() const { return patient_id_; }
  // Reads the chart again (an import may have added to it since). An
  // archive that fails to read is shown as such, never thrown.
  void Refresh();

 private:
  standin::SqliteArchive& archive_;
  int64_t patient_id_;
};

}  // namespace lirvo::desk
