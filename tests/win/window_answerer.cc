// Plays the person in front of the plug-in's windows for a client in another
// process of the same Wine session, as the replay host's player does in its
// own (window_player.h), and writes what it saw to LOG as JSON lines.
//
//   window_answerer LOG ACTION...
//     yes | no | ok         the answer of the next message box
//     FORM:STEP[:STEP...]   the steps for the next window FORM of the
//                           plug-in (frmGetBundle, frmConfig, frmReferto),
//                           as the player names them; "row N" chooses the
//                           bundle in row N (0 is the first) by the keyboard
//
// Exits 0 when every answer and window came within a minute and every step
// found what it needed, 1 otherwise.
#include <windows.h>

#include <fstream>
#include <mutex>
#include <sstream>

#include "win/wide_text.h"
#include "window_player.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: window_answerer LOG ACTION...\n");
    return 2;
  }
  std::ofstream log(argv[1], std::ios::binary);
  if (!log) return 2;
  using Json = nlohmann::ordered_json;
  std::mutex mutex;
  bool failed = false;
  const auto write = [&](const Json& j) {
    std::lock_guard lock(mutex);
    failed |= j["type"] == "unexpected" || j["type"] == "error" ||
              (j["type"] == "modal_action" && j["ok"] == false);
    log << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    log.flush();
  };
  {
    lirvo::replay::WindowPlayer player(write, /*own_process=*/false);
    for (int i = 2; i < argc; ++i) {
      const std::string action = lirvo::win::Utf8(std::wstring_view(argv[i]));
      if (action == "yes" || action == "no" || action == "ok") {
        player.QueueAnswer(action == "yes" ? IDYES : action == "no" ? IDNO : IDOK);
        continue;
      }
      std::stringstream parts(action);
      lirvo::replay::ModalActions modal;
      std::getline(parts, modal.form, ':');
      for (std::string step; std::getline(parts, step, ':');) modal.steps.push_back(step);
      player.QueueModal(std::move(modal));
    }
    for (int tries = 0; tries < 1200 && player.Pending(); ++tries) ::Sleep(50);
    if (player.Pending()) write({{"type", "error"}, {"message", "not every window came"}});
  }  // the windows being played are done with
  return failed ? 1 : 0;
}
