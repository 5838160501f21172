// Native Win32 views over the control models: each view makes one child
// window for its control, keeps it in step with the model through the
// model's listeners, and hands what the user does to the presenter through a
// callback. Positions and sizes are the model's twips, converted with the
// window's dots per inch. No view decides anything: the presenters do.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/control.h"
#include "controls/report_grid.h"
#include "controls/rich_text_box.h"
#include "controls/simple_controls.h"

namespace lirvo::win {

// Twips (1/1440 inch) in pixels of `window`'s display.
int TwipsToPixels(HWND window, int32_t twips);

// The control's rectangle in pixels inside the window that holds the form,
// its containers' offsets added.
RECT PixelBounds(HWND form_window, const controls::Control& control);

// A font made from the window's font (its size and the rest) with another
// family (`name`, empty: the window's own) and weight; the caller deletes it.
// Null when the window's font cannot be read.
HFONT DerivedFont(HWND form_window, const std::string& name, bool bold);

// A child window over one control: placed and shown as the model says,
// enabled as it says, and for a captioned control titled with its caption.
class ControlView {
 public:
  // `window_class` and `style` make the child window (WC_STATICW, WC_BUTTONW
  // ...); `id` is its WM_COMMAND id.
  ControlView(HWND form_window, const controls::Control& control, const wchar_t* window_class,
              DWORD style, int id);
  virtual ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  HWND Window() const { return window_; }
  int Id() const { return id_; }
  const controls::Control& Model() const { return control_; }

 protected:
  HWND FormWindow() const { return form_window_; }
  // Brings the window in step with the model.
  virtual void Update();

 private:
  HWND form_window_;
  const controls::Control& control_;
  HWND window_;
  int id_;
  int listener_;
};

// A button that calls `on_click` when pressed.
class ButtonView : public ControlView {
 public:
  ButtonView(HWND form_window, const controls::Button& button, int id,
             std::function<void()> on_click);
  // Runs the click when `id` is this button's.
  bool Command(WORD id, WORD code);

 private:
  std::function<void()> on_click_;
};

// A label: a static in the label's font and text colour, on the back colour
// of the panel it lies in. Without a font of its own it has the window's.
class LabelView final : public ControlView {
 public:
  LabelView(HWND form_window, const controls::Label& label, int id);
  ~LabelView() override;

  // The answer to WM_CTLCOLORSTATIC from `control`: when it is this label
  // and the label or its panel has a colour, sets the text and back colour
  // of `dc` and returns the back brush; otherwise null (the window's
  // colours).
  HBRUSH Colors(HWND control, HDC dc);

 protected:
  void Update() override;

 private:
  const controls::Label& label_;
  HFONT font_ = nullptr;
  std::string font_name_;  // what font_ was made for
  bool font_bold_ = false;
  HBRUSH back_brush_ = nullptr;
  COLORREF back_color_ = 0;
};

// A panel: an owner-drawn static under the controls that lie in it, filled
// with the panel's back colour and framed in its border colour where it has
// them.
class PanelView final : public ControlView {
 public:
  PanelView(HWND form_window, const controls::Panel& panel, int id);

  // Paints the panel for WM_DRAWITEM; false when the item is not this
  // panel.
  bool Draw(const DRAWITEMSTRUCT& item) const;

 protected:
  void Update() override;

 private:
  const controls::Panel& panel_;
};

// A rich-text box as a read-only RichEdit control: it loads the RTF the
// model writes, and a selection the person makes becomes the model's
// (in the model's characters: a line break is CR LF, two of them).
class RichTextView {
 public:
  RichTextView(HWND form_window, controls::RichTextBox& box, int id);
  ~RichTextView();
  RichTextView(const RichTextView&) = delete;
  RichTextView& operator=(const RichTextView&) = delete;

  HWND Window() const { return window_; }
  // Handles the control's selection changes; true when it was its.
  bool Notify(const NMHDR& header);

 private:
  void Load();

  controls::RichTextBox& box_;
  HWND window_;
  int listener_;
  bool loading_ = false;
};

// The two-level report grid as a list view in report mode: one list row per
// row the grid shows (child rows indented), the grid's visible columns with
// their captions and relative widths, bold and coloured items drawn so. The
// list asks for each text as it paints (a virtual list): nothing is copied.
class GridListView final : public controls::GridObserver {
 public:
  struct Handlers {
    std::function<void(int32_t row)> row_click;                   // selection moved to `row`
    std::function<void(int32_t row)> row_dblclick;                // a double-click on `row`
    std::function<void(int32_t row)> row_rclick;                  // a right-click on `row`
    std::function<void(int32_t row, int32_t column)> item_click;  // a click on a cell
  };

  // kSeveral lets the person select several rows (control-click, shift-
  // click): the list's selection and focus then become the grid's.
  enum class Rows { kOne, kSeveral };

  GridListView(HWND form_window, controls::ReportGrid& grid, int id, Handlers handlers,
               Rows rows = Rows::kOne);
  ~GridListView() override;
  GridListView(const GridListView&) = delete;
  GridListView& operator=(const GridListView&) = delete;

  HWND Window() const { return window_; }
  // Handles the list's WM_NOTIFY; true when it was the list's.
  bool Notify(const NMHDR& header, LRESULT& result);

  // ---- controls::GridObserver
  void RowsInserted(const controls::GridRecord*, int32_t, int32_t) override { Refresh(); }
  void RowsRemoved(const controls::GridRecord*, int32_t, int32_t) override { Refresh(); }
  void ItemsChanged(const controls::GridRecord&, int32_t, int32_t) override { Repaint(); }
  void ExpandedChanged(const controls::GridRecord&) override { Refresh(); }
  void Reset() override { Refresh(); }
  void ViewStateChanged() override { SyncSelection(); }

 private:
  void MakeColumns();
  void Refresh();
  void Repaint();
  void SyncSelection();
  // The list's selection and focus into the grid (kSeveral).
  void PullSelection();
  // The grid's column under list column `sub_item`, or -1.
  int32_t GridColumnOf(int sub_item) const;

  controls::ReportGrid& grid_;
  HWND window_;
  int id_;
  Handlers handlers_;
  std::vector<int32_t> columns_;  // the grid's visible columns, in list order
  HFONT font_ = nullptr;
  HFONT bold_font_ = nullptr;
  Rows rows_;
  bool syncing_ = false;  // the model is being shown: the list's changes are not the user's
};

}  // namespace lirvo::win
