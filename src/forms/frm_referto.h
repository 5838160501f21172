// The report detail window: one rich text under a two-line header, with
// "Stampa" (print) and "Chiudi" (close). The report preview and the
// processing summaries fill it and show it modally; the batch import loads
// it without showing it and keeps two rich-text documents in its boxes.
//
// Its callers, in this order: construct it (a fresh window with its design
// texts); set, as needed, its caption and the captions of laTitoli(2) (the
// title) and laTitoli(3) (the subtitle); fill RichTextBox1; ShowModal();
// drop it. The layout is fixed.
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>

#include "controls/rich_text_box.h"
#include "controls/simple_controls.h"
#include "controls/ui.h"
#include "forms/window_context.h"

namespace lirvo::forms {

// The runtime's "control array element does not exist".
inline constexpr int kErrNoControlArrayElement = 340;

class frmReferto : public Window, public ui::ModalForm {
 public:
  static constexpr const char* kFormName = "frmReferto";
  static constexpr const char* kDesignCaption = "Dettaglio referto";
  // The window's inner size at design, in twips.
  static constexpr int32_t kDesignWidth = 11220;
  static constexpr int32_t kDesignHeight = 7845;

  // The controls at their design positions with their design texts. Once
  // `context` is gone or the window released, ShowModal and the handlers do
  // nothing.
  explicit frmReferto(std::weak_ptr<WindowContext> context);

  // ---- ui::ModalForm (and host::EmbeddedForm's Name)
  std::string Name() const override { return kFormName; }
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // As "Chiudi" would.
  void Close() override { cbChiudi_Click(); }
  bool IsOpen() const override { return open_; }
  // {"labels":{"2":title,"3":subtitle},"text":the plain text,"runs":[...]}
  nlohmann::json Describe() const override;
  // "cbStampa" and "cbChiudi" (also as "click cbStampa"), and
  // "select START LENGTH" (the selection of RichTextBox1, in characters).
  bool Perform(const std::string& action) override;

  // Shows the window modally through the context's Ui; returns once it has
  // been closed.
  void ShowModal();

  // ---- Event handlers
  // Hides the window, which ends its modal display.
  void cbChiudi_Click();
  // The printer dialog (flags 264, 265 when RichTextBox1 has a selection),
  // then the selection's runs, or all runs, printed on the chosen printer.
  // Cancelling or any error prints nothing, shows nothing and leaves the
  // window open.
  void cbStampa_Click();

  // ---- Controls
  // Index 2 the title ("Paziente"), 3 the subtitle ("Patient summary");
  // any other index raises RuntimeError kErrNoControlArrayElement.
  controls::Label& laTitoli(int index);
  const controls::Label& laTitoli(int index) const;
  controls::Panel& FramePlus1() { return FramePlus1_; }
  controls::Panel& Shape1() { return Shape1_; }
  controls::RichTextBox& RichTextBox1() { return RichTextBox1_; }
  const controls::RichTextBox& RichTextBox1() const { return RichTextBox1_; }
  controls::RichTextBox& RichTextBox2() { return RichTextBox2_; }
  controls::Button& cbStampa() { return cbStampa_; }
  controls::Button& cbChiudi() { return cbChiudi_; }

 private:
  std::string caption_ = kDesignCaption;
  bool open_ = false;
  controls::Panel FramePlus1_;
  controls::Label laTitoli2_;
  controls::Label laTitoli3_;
  controls::Panel Shape1_;
  controls::RichTextBox RichTextBox1_;
  controls::Button cbStampa_;
  controls::Button cbChiudi_;
  controls::RichTextBox RichTextBox2_;
};

}  // namespace lirvo::forms
