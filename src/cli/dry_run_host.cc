#include "cli/dry_run_host.h"

namespace lirvo::cli {
namespace {

class DryExams final : public host::ExamReports {
 public:
  DryExams(std::shared_ptr<DryRunHost> host, int64_t patient_id)
      : host_(std::move(host)), patient_id_(patient_id) {}
  std::vector<host::ChartItem> Lista() override {
    std::vector<host::ChartItem> items = host_->Archive().ExamList(patient_id_);
    const auto& saved = host_->SavedFor(patient_id_).exams;
    items.insert(items.end(), saved.begin(), saved.end());
    return items;
  }
  void ClearEsamiAutomatici() override {}
  host::Variant Salva(const host::ExamSaveArgs& a) override {
    if (!host_->Archive().AcceptsExam(patient_id_, a)) return false;
    host_->SavedFor(patient_id_).exams.push_back(host::ChartItemOf(a));
    return true;
  }
  void SalvaEsamiAutomatici() override {}

 private:
  std::shared_ptr<DryRunHost> host_;
  int64_t patient_id_;
};

class DryVisits final : public host::VisitReports {
 public:
  DryVisits(std::shared_ptr<DryRunHost> host, int64_t patient_id)
      : host_(std::move(host)), patient_id_(patient_id) {}
  std::vector<host::ChartItem> Lista() override {
    std::vector<host::ChartItem> items = host_->Archive().VisitList(patient_id_);
    const auto& saved = host_->SavedFor(patient_id_).visits;
    items.insert(items.end(), saved.begin(), saved.end());
    return items;
  }
  host::Variant Salva(const host::VisitSaveArgs& a) override {
    if (!host_->Archive().AcceptsVisit(patient_id_, a)) return false;
    host_->SavedFor(patient_id_).visits.push_back(host::ChartItemOf(a));
    return true;
  }

 private:
  std::shared_ptr<DryRunHost> host_;
  int64_t patient_id_;
};

// The archive's patient with charts that save into the dry run.
class DryPatient final : public host::Patient {
 public:
  DryPatient(std::shared_ptr<DryRunHost> host, std::shared_ptr<host::Patient> patient)
      : host_(std::move(host)), patient_(std::move(patient)) {}
  host::Variant ID() const override { return patient_->ID(); }
  std::string Cognome() const override { return patient_->Cognome(); }
  std::string Nome() const override { return patient_->Nome(); }
  std::string DataNascita() const override { return patient_->DataNascita(); }
  std::string CodiceFiscale() const override { return patient_->CodiceFiscale(); }
  std::string Tessera() const override { return patient_->Tessera(); }
  std::shared_ptr<host::ExamReports> RefertiEsami() override {
    return std::make_shared<DryExams>(host_, Id());
  }
  std::shared_ptr<host::VisitReports> RefertiVisite() override {
    return std::make_shared<DryVisits>(host_, Id());
  }

 private:
  int64_t Id() const { return std::get<int64_t>(patient_->ID()); }

  std::shared_ptr<DryRunHost> host_;
  std::shared_ptr<host::Patient> patient_;
};

}  // namespace

std::shared_ptr<host::Patient> DryRunHost::DaiPazienteRegionale(const std::string& code,
                                                                bool regional) {
  std::shared_ptr<host::Patient> patient = standin_->Archive().DaiPazienteRegionale(code, regional);
  if (!patient) return nullptr;
  return std::make_shared<DryPatient>(shared_from_this(), std::move(patient));
}

}  // namespace lirvo::cli
