// JSON forms of the stand-in's data, for the `lirvo` transcripts, the chart
// store and the tests.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

#include "host/variant.h"
#include "standin/archive.h"

namespace lirvo::standin {

// A value as JSON: null for Null, true/false, numbers, texts; Empty becomes
// "" (empty text, as the runtime reads it). An object cannot be written and
// throws RuntimeError 13; so does a number that is not finite.
nlohmann::ordered_json VariantToJson(const host::Variant& v);
// The reverse: null gives Null, arrays and objects give Empty.
host::Variant VariantFromJson(const nlohmann::ordered_json& j);

// {"type":"chart","patient":ID,"exams":[{"args":[26 values]}],
//  "visits":[{"args":[15 values]}]}
nlohmann::ordered_json ChartToJson(int64_t patient_id, const std::vector<ChartEntry>& exams,
                                   const std::vector<ChartEntry>& visits);

// {"id":1,"cognome":...,"nome":...,"data_nascita":...,"codice_fiscale":...,"tessera":...}
nlohmann::ordered_json PatientToJson(const PatientRecord& p);

// {"type":"host","call":CALL,"args":[...]}
nlohmann::ordered_json HostCallToJson(const std::string& call,
                                      const std::vector<host::Variant>& args);

}  // namespace lirvo::standin
