#include "host/host.h"

namespace lirvo::host {

std::vector<Variant> ExamSaveArgs::ToVector() const {
  std::vector<Variant> v = {a1_empty,       a2_group_id, a3_report_date,   a4_today, a5_clinora_id,
                            a6_description, a7_numeric,  a8_value,         a9_unit,  a10_interval,
                            a11_low,        a12_high,    a13_out_of_range, a14_false};
  for (const auto& e : a15_to_23) v.push_back(e);
  v.push_back(a24_code);
  v.push_back(a25_kind);
  v.push_back(a26_empty);
  return v;
}

std::vector<Variant> VisitSaveArgs::ToVector() const {
  std::vector<Variant> v(std::begin(a1_to_3), std::end(a1_to_3));
  v.push_back(a4_description);
  v.push_back(a5_report_date);
  v.push_back(a6_today);
  v.push_back(a7_zero);
  v.push_back(a8_body);
  v.push_back(a9_body);
  for (const auto& e : a10_to_13) v.push_back(e);
  v.push_back(a14_reference);
  v.push_back(a15_kind);
  return v;
}

ChartItem ChartItemOf(const ExamSaveArgs& args) {
  return {args.a3_report_date, args.a5_clinora_id, args.a24_code, args.a8_value};
}

ChartItem ChartItemOf(const VisitSaveArgs& args) {
  return {args.a5_report_date, Empty{}, args.a14_reference, Empty{}};
}

}  // namespace lirvo::host
