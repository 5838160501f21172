// The host's object model as the plug-in sees it. Clinora is reached only
// through the HostApp object handed over at registration; everything else
// hangs off it. A host call that fails throws RuntimeError, which travels to
// the calling routine's own error handling. "Nothing" is a null pointer.
//
// The stand-in Clinora (src/standin) implements these interfaces; a Windows
// build would implement them over late-bound calls on the real host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/variant.h"

namespace lirvo::host {

// ---- Ribbon -----------------------------------------------------------------

class RibbonControl {
 public:
  virtual ~RibbonControl() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

class RibbonGroup {
 public:
  virtual ~RibbonGroup() = default;
  virtual std::string Caption() const = 0;
};

class RibbonTab {
 public:
  virtual ~RibbonTab() = default;
  virtual std::string Caption() const = 0;
  // The tab's Groups.AddGroup(caption, style): a new group on the tab.
  virtual std::shared_ptr<RibbonGroup> AddGroup(const std::string& caption, int32_t style) = 0;
};

// ---- Windows ----------------------------------------------------------------

// A window of the plug-in that the host shows inside one of its child
// windows (the main reports window).
class EmbeddedForm {
 public:
  virtual ~EmbeddedForm() = default;
  virtual std::string Name() const = 0;  // "frmRefertiLirvo"
  // The host tells the form about its life inside the child window.
  virtual void Activate() {}
  virtual void Resize(int32_t width_twips, int32_t height_twips) {
    (void)width_twips;
    (void)height_twips;
  }
};

// A host child window carrying an embedded form.
class ChildForm {
 public:
  virtual ~ChildForm() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Icon() const = 0;
  virtual void SetIcon(const std::string& icon) = 0;
  virtual void Show() = 0;  // not modal
  virtual std::shared_ptr<EmbeddedForm> Form() const = 0;
};

// ---- Framework ----------------------------------------------------------------

class Framework {
 public:
  virtual ~Framework() = default;

  // A new identifier, unique while the host runs.
  virtual int32_t GetNewID() = 0;

  virtual std::shared_ptr<RibbonTab> InsertRibbonTab(const std::string& caption) = 0;
  virtual std::shared_ptr<RibbonGroup> InsertTabGroup(RibbonTab& tab,
                                                      const std::string& caption) = 0;
  // A control bound to a command, captioned by the host (the group control).
  virtual std::shared_ptr<RibbonControl> InsertGroupControl(RibbonGroup& group,
                                                            int32_t command_id) = 0;
  // A button; `style` is 4 for every button of the plug-in, `flag` the
  // host's fifth argument (shown as "flag" in the ribbon dump).
  virtual std::shared_ptr<RibbonControl> InsertGroupButton(RibbonGroup& group,
                                                           const std::string& caption,
                                                           int32_t command_id, int32_t style,
                                                           bool flag,
                                                           const std::string& tooltip) = 0;
  // Ties an image file to a command; the result is not used.
  virtual void AddFileBitmap(const std::string& image_path, int32_t command_id) = 0;
  // The control of a command, or nullptr.
  virtual std::shared_ptr<RibbonControl> FindRibbonControl(int32_t command_id) = 0;
  // Makes the host's own main ribbon tab the active one.
  virtual void SetMainRibbonTab() = 0;

  // OpenChild("frmMDI", False, , caption): true when a child window with that
  // caption already exists (the host then activates it).
  virtual bool OpenChild(const std::string& form_name, bool modal, const std::string& caption) = 0;
  // A new host child window carrying `form`.
  virtual std::shared_ptr<ChildForm> CreateChildForm(std::shared_ptr<EmbeddedForm> form) = 0;

  // The host recalls (opens the chart of) a patient.
  virtual void RichiamaPaziente(const Variant& patient_id) = 0;

  // The host's pop-up menu: 1-based number of the chosen item, 0 when
  // dismissed.
  virtual int32_t Popup(const std::vector<std::string>& items) = 0;
};

// ---- XML object ---------------------------------------------------------------

// An element or attribute node of the host's XML object.
class XmlNode {
 public:
  virtual ~XmlNode() = default;
  virtual std::string NodeName() const = 0;
  virtual std::string Text() const = 0;  // all text below the node
  virtual void SetText(const std::string& text) = 0;
  // attributes.getNamedItem(name): the attribute node, or nullptr.
  virtual std::shared_ptr<XmlNode> GetNamedItem(const std::string& name) = 0;
  virtual std::vector<std::shared_ptr<XmlNode>> ChildNodes() = 0;
};

class XmlDocument {
 public:
  virtual ~XmlDocument() = default;
  // True when the file was read and parsed; false for a missing or malformed
  // file (never throws for those).
  virtual bool LoadFileXML(const std::string& path) = 0;
  // The root element, or nullptr when nothing is loaded.
  virtual std::shared_ptr<XmlNode> RootNode() = 0;
  // The element nodes that `path` (a relative XPath) selects from `node`.
  // A null node raises error 91.
  virtual std::vector<std::shared_ptr<XmlNode>> SelectNodeList(const std::shared_ptr<XmlNode>& node,
                                                               const std::string& path) = 0;
  // The attribute's value, "" when absent. A null node raises error 91.
  virtual std::string GetAttribute(const std::shared_ptr<XmlNode>& node,
                                   const std::string& name) = 0;
  // Writes the document; a failure throws RuntimeError.
  virtual void SaveFile(const std::string& path) = 0;
};

// ---- Archive and charts -------------------------------------------------------

// One item of a chart list. Values as the host keeps them.
struct ChartItem {
  Variant Data;    // date of the item ("dd/mm/yyyy")
  Variant idrif1;  // exams: the Clinora exam ID
  Variant idrif4;  // exams: the authority's exam code; visits: the reference
  Variant t1;      // exams: the value
};

// The 26 arguments of RefertiEsami.Salva, by position.
struct ExamSaveArgs {
  Variant a1_empty;          // 1: empty text
  Variant a2_group_id;       // 2: lab group id
  Variant a3_report_date;    // 3: report date, dd/mm/yyyy
  Variant a4_today;          // 4: today, dd/mm/yyyy
  Variant a5_clinora_id;     // 5: Clinora exam ID, Null when not transcoded
  Variant a6_description;    // 6: exam description
  Variant a7_numeric;        // 7: 1 when the value is numeric, else 0
  Variant a8_value;          // 8: value without the "*" mark
  Variant a9_unit;           // 9: unit
  Variant a10_interval;      // 10: "Intervallo: ..." or empty
  Variant a11_low;           // 11: low bound
  Variant a12_high;          // 12: high bound
  Variant a13_out_of_range;  // 13: out-of-range flag
  Variant a14_false;         // 14: False
  Variant a15_to_23[9];      // 15..23: empty texts
  Variant a24_code;          // 24: the line's own code
  Variant a25_kind;          // 25: "RefertoOnLine"
  Variant a26_empty;         // 26: empty text

  std::vector<Variant> ToVector() const;  // the 26 values in order
};

// Positions (0-based, in ToVector order) of the exam save's arguments that
// the chart lists give back and people read.
inline constexpr size_t kExamArgCount = 26;
inline constexpr size_t kExamArgReportDate = 2;   // argument 3: the list's Data
inline constexpr size_t kExamArgClinoraId = 4;    // argument 5: idrif1
inline constexpr size_t kExamArgDescription = 5;  // argument 6
inline constexpr size_t kExamArgValue = 7;        // argument 8: t1
inline constexpr size_t kExamArgUnit = 8;         // argument 9
inline constexpr size_t kExamArgCode = 23;        // argument 24: idrif4

// The 15 arguments of RefertiVisite.Salva, by position.
struct VisitSaveArgs {
  Variant a1_to_3[3];      // 1..3: empty texts
  Variant a4_description;  // 4: description
  Variant a5_report_date;  // 5: report date, dd/mm/yyyy
  Variant a6_today;        // 6: today, dd/mm/yyyy
  Variant a7_zero;         // 7: 0
  Variant a8_body;         // 8: body
  Variant a9_body;         // 9: body again
  Variant a10_to_13[4];    // 10..13: empty texts
  Variant a14_reference;   // 14: the visit reference, 50 characters
  Variant a15_kind;        // 15: "RefertoOnLine"

  std::vector<Variant> ToVector() const;  // the 15 values in order
};

// Positions (0-based, in ToVector order) of the visit save's arguments that
// the chart lists give back and people read.
inline constexpr size_t kVisitArgCount = 15;
inline constexpr size_t kVisitArgDescription = 3;  // argument 4
inline constexpr size_t kVisitArgReportDate = 4;   // argument 5: the list's Data
inline constexpr size_t kVisitArgReference = 13;   // argument 14: idrif4

// The item a chart list gives back for a save with these arguments.
ChartItem ChartItemOf(const ExamSaveArgs& args);
ChartItem ChartItemOf(const VisitSaveArgs& args);

class ExamReports {  // RefertiEsami
 public:
  virtual ~ExamReports() = default;
  virtual std::vector<ChartItem> Lista() = 0;
  virtual void ClearEsamiAutomatici() = 0;
  // True, False or Null (read as False).
  virtual Variant Salva(const ExamSaveArgs& args) = 0;
  virtual void SalvaEsamiAutomatici() = 0;
};

class VisitReports {  // RefertiVisite
 public:
  virtual ~VisitReports() = default;
  virtual std::vector<ChartItem> Lista() = 0;
  virtual Variant Salva(const VisitSaveArgs& args) = 0;
};

class Patient {
 public:
  virtual ~Patient() = default;
  virtual Variant ID() const = 0;
  virtual std::string Cognome() const = 0;
  virtual std::string Nome() const = 0;
  virtual std::string DataNascita() const = 0;  // dd/mm/yyyy
  virtual std::string CodiceFiscale() const = 0;
  virtual std::string Tessera() const = 0;  // the regional code
  virtual std::shared_ptr<ExamReports> RefertiEsami() = 0;
  virtual std::shared_ptr<VisitReports> RefertiVisite() = 0;
};

class Archive {  // Archivio.Pazienti
 public:
  virtual ~Archive() = default;
  // The patient with this regional code, or nullptr.
  virtual std::shared_ptr<Patient> DaiPazienteRegionale(const std::string& code, bool regional) = 0;
};

// ---- Host application ---------------------------------------------------------

class HostApp {
 public:
  virtual ~HostApp() = default;
  virtual Framework& GetFramework() = 0;
  virtual std::shared_ptr<XmlDocument> NewXML() = 0;
  virtual Archive& Archivio() = 0;
};

}  // namespace lirvo::host
