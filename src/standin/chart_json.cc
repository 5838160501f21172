#include "standin/chart_json.h"

#include <cmath>

#include "base/runtime_error.h"
#include "base/utf8.h"

namespace lirvo::standin {

nlohmann::ordered_json VariantToJson(const host::Variant& v) {
  if (std::holds_alternative<host::Empty>(v)) return "";
  if (std::holds_alternative<host::Null>(v)) return nullptr;
  if (auto b = std::get_if<bool>(&v)) return *b;
  if (auto i = std::get_if<int64_t>(&v)) return *i;
  if (auto d = std::get_if<double>(&v)) {
    if (!std::isfinite(*d)) throw RuntimeError(kErrTypeMismatch);
    return *d;
  }
  if (auto s = std::get_if<std::string>(&v)) return SanitizeUtf8(*s);
  throw RuntimeError(kErrTypeMismatch);
}

host::Variant VariantFromJson(const nlohmann::ordered_json& j) {
  if (j.is_null()) return host::Null{};
  if (j.is_boolean()) return j.get<bool>();
  if (j.is_number_integer()) return j.get<int64_t>();
  if (j.is_number()) return j.get<double>();
  if (j.is_string()) return j.get<std::string>();
  return host::Empty{};
}

namespace {

nlohmann::ordered_json EntriesToJson(const std::vector<ChartEntry>& entries) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& e : entries) {
    nlohmann::ordered_json args = nlohmann::ordered_json::array();
    for (const auto& a : e.args) args.push_back(VariantToJson(a));
    out.push_back({{"args", std::move(args)}});
  }
  return out;
}

}  // namespace

nlohmann::ordered_json ChartToJson(int64_t patient_id, const std::vector<ChartEntry>& exams,
                                   const std::vector<ChartEntry>& visits) {
  nlohmann::ordered_json j;
  j["type"] = "chart";
  j["patient"] = patient_id;
  j["exams"] = EntriesToJson(exams);
  j["visits"] = EntriesToJson(visits);
  return j;
}

nlohmann::ordered_json PatientToJson(const PatientRecord& p) {
  nlohmann::ordered_json j;
  j["id"] = p.id;
  j["cognome"] = SanitizeUtf8(p.cognome);
  j["nome"] = SanitizeUtf8(p.nome);
  j["data_nascita"] = SanitizeUtf8(p.data_nascita);
  j["codice_fiscale"] = SanitizeUtf8(p.codice_fiscale);
  j["tessera"] = SanitizeUtf8(p.tessera);
  return j;
}

nlohmann::ordered_json HostCallToJson(const std::string& call,
                                      const std::vector<host::Variant>& args) {
  nlohmann::ordered_json ja = nlohmann::ordered_json::array();
  for (const auto& a : args) {
    // An object argument is shown as such rather than failing the transcript.
    if (std::holds_alternative<std::shared_ptr<host::Dispatch>>(a)) {
      ja.push_back("[object]");
    } else {
      ja.push_back(VariantToJson(a));
    }
  }
  nlohmann::ordered_json j;
  j["type"] = "host";
  j["call"] = call;
  j["args"] = std::move(ja);
  return j;
}

}  // namespace lirvo::standin
