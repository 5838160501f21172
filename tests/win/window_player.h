// The person in front of the plug-in's windows, for the replay host (a
// thread of the host's own process) and the window answerer (another
// process): finds each dialog the plug-in shows and answers it as `lirvo
// run`'s scripted person does.
//   - A message box: its style is read back from its buttons and icon, its
//     title and text from the window; it gets the next queued answer when
//     the box has that button, else the answer of a box nobody answers
//     (Cancel when there is one, No for Yes/No, else the first button).
//   - A window of the plug-in (the bundle chooser, the configuration
//     dialog, the detail window): it is reported with its labels' texts,
//     takes the next queued list of actions when that list names it,
//     carries them out one by one on the window's own controls, and closes
//     the window when it is still open after them.
//   - Anything else (a printer dialog, the folder browser) is cancelled and
//     reported as "unexpected".
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace lirvo::replay {

struct ModalActions {
  std::string form;                // "frmGetBundle", "frmConfig", "frmReferto"
  std::vector<std::string> steps;  // as `lirvo run`'s modal actions name them
};

// The text of a cell of a list view of this process (the message carries a
// pointer, which does not cross to another).
std::wstring CellText(HWND list, int row, int column);

class WindowPlayer {
 public:
  using Sink = std::function<void(const nlohmann::ordered_json&)>;
  // Plays the dialogs of this process, or with `own_process` false those of
  // every other one.
  explicit WindowPlayer(Sink sink, bool own_process = true);
  ~WindowPlayer();
  WindowPlayer(const WindowPlayer&) = delete;
  WindowPlayer& operator=(const WindowPlayer&) = delete;

  void QueueAnswer(int answer);
  void QueueModal(ModalActions actions);
  // Whether queued answers or actions wait for their window.
  bool Pending();
  // Waits until the windows being played have gone (after an event).
  void Settle();

 private:
  void Loop();
  void AnswerMessageBox(HWND box);
  void PlayForm(HWND dialog, const std::string& form);
  bool Perform(HWND dialog, const std::string& form, const std::string& step);

  Sink sink_;
  const bool own_process_;
  std::mutex mutex_;
  std::deque<int> answers_;
  std::deque<ModalActions> modals_;
  std::set<HWND> seen_;
  std::vector<std::thread> players_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace lirvo::replay
