// Chart items made directly, for setting up a chart before a test or a script
// runs (`chart add-exam`, `chart add-visit` of `lirvo run`), and the chart as
// text for people.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/host.h"
#include "standin/archive.h"

namespace lirvo::standin {

// The 26 arguments of an exam save holding the four fields the chart list
// shows: Data (argument 3, also used as argument 4), idrif1 (argument 5; Null
// for an exam that was not transcoded), idrif4 (argument 24) and t1 (argument
// 8). The numeric flag (argument 7) is 1 when t1 reads as a number; the kind
// (argument 25) is "RefertoOnLine"; every other argument is empty text or
// False.
host::ExamSaveArgs ExamArgsFor(const std::string& data, const host::Variant& idrif1,
                               const std::string& idrif4, const std::string& t1);

// The 15 arguments of a visit save with Data (argument 5, also argument 6)
// and idrif4 (argument 14, kept as given); the kind (argument 15) is
// "RefertoOnLine"; argument 7 is 0; every other argument is empty text.
host::VisitSaveArgs VisitArgsFor(const std::string& data, const std::string& idrif4);

// What the chart text does to each field before showing it (the CLI makes
// control characters visible); none leaves fields as they are.
using FieldFilter = std::function<std::string(std::string_view)>;

// The chart of a patient for people: a line for the patient, then the exams
// and the visits, one line each, every field passed through `shown`. Empty
// when the patient does not exist.
std::string ChartText(SqliteArchive& archive, int64_t patient_id, const FieldFilter& shown = {});

}  // namespace lirvo::standin
