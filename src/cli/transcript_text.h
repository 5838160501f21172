// The transcript of `lirvo run` for a person (`lirvo run --text`): each JSON
// event of the transcript as a few plain lines. The plug-in's own texts
// (messages, captions, the detail window's text) stay as the plug-in wrote
// them; only the framing around them is the program's.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace lirvo::cli {

// The lines (each ending with a line break) that show `event` to a person.
// An event of a type it does not know shows as its JSON.
std::string TranscriptText(const nlohmann::ordered_json& event);

}  // namespace lirvo::cli
