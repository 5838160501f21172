#include "cli/transcript_text.h"

#include <gtest/gtest.h>

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;

TEST(TranscriptTextTest, EventsReadAsLinesWithThePluginsTextsAsTheyAre) {
  const struct {
    const char* event;
    const char* text;
  } cases[] = {
      {R"({"type":"msgbox","style":36,"title":"Clinora - Referti Lirvo","text":"Importati 2 referti.\r\n\r\nVuoi stampare?","answer":6})",
       "[message \"Clinora - Referti Lirvo\"]\n    | Importati 2 referti.\n    | \n    | Vuoi "
       "stampare?\n    -> Sì\n"},
      {R"({"type":"popup","items":["Importa Singolo","Rimuovi Singolo"],"answer":0})",
       "[menu] Importa Singolo | Rimuovi Singolo  -> dismissed\n"},
      {R"({"type":"browse","title":"Cartella referti","start":"/d/","answer":null})",
       "[folder browser \"Cartella referti\" at /d/] -> cancelled\n"},
      {R"({"type":"modal","form":"frmGetBundle","caption":"","folder":"/d/","rows":[{"bold":[3],"items":["/d/a.dat","a.dat","01/03/2026 08:00:00","Importato!"]}]})",
       "[bundle chooser] folder /d/\n    a.dat  01/03/2026 08:00:00  Importato!\n"},
      {R"({"type":"modal_action","form":"frmConfig","action":"Applica","ok":false})",
       "    (Applica: not possible)\n"},
      {R"({"type":"print","what":"list","landscape":true,"columns":["Paziente","Reparto"],"rows":[{"level":0,"cells":["ROSSI MARIO","a\r\nb"]},{"level":1,"cells":["","Ospedale"]}]})",
       "[printed list, landscape] Paziente | Reparto\n    ROSSI MARIO | a / b\n       | "
       "Ospedale\n"},
      // Only the progress steps that name a patient are shown.
      {R"({"type":"progress","text":"1 di 3","value":1,"max":3,"visible":true})", ""},
      {R"({"type":"progress","text":"1 di 3 [ROSSI MARIO]","value":1,"max":3,"visible":true})",
       "[import] 1 di 3 [ROSSI MARIO]\n"},
      // Unknown types, and known ones of an unexpected shape, show as JSON.
      {R"({"type":"patient","id":7})", "{\"type\":\"patient\",\"id\":7}\n"},
      {R"({"type":"popup","items":5})", "{\"type\":\"popup\",\"items\":5}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    EXPECT_EQ(TranscriptText(Json::parse(c.event)), c.text);
  }
}

}  // namespace
}  // namespace lirvo::cli
