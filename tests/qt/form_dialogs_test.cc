#include "qt/form_dialogs.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "forms/window_fixture.h"
#include "qt/qt_text.h"
#include "qt/rich_text_view.h"
#include "qt/when_shown.h"
#include "support/fake_host.h"

namespace lirvo::qt {
namespace {

using test_support::FakeContext;

class FormDialogsTest : public test_support::WindowFixture {
 protected:
  FormDialogsTest() { SetFormDialogs(qt_ui_); }
  QtUi qt_ui_;
  // The windows' context with the Qt Ui; the host stays the fake one.
  std::shared_ptr<FakeContext> qt_context_ = std::make_shared<FakeContext>(qt_ui_, fs_, host_);
};

// A bundle double-clicked in the chooser is confirmed and loaded in the
// desk's tour (desk_tour_test); here the dialog itself, and a confirmation
// without a selection, which leaves it open under the presenter's message.
TEST_F(FormDialogsTest, TheChooserShowsTheFolderAndStaysWithoutASelection) {
  const std::string documents = dir_.File("documents/");
  std::filesystem::create_directory(documents);
  std::ofstream(documents + "a.dat") << "#01#";
  qt_context_->documents_folder = documents;
  auto form = std::make_shared<forms::frmGetBundle>(qt_context_);
  form->Form_Load();
  form->plbBundlesList("");

  WhenShown([&](QWidget* shown) {
    EXPECT_EQ(shown->size(), QSize(514, 389));
    EXPECT_EQ(shown->windowTitle(), "");
    EXPECT_NE(Child<QLabel>(shown, "Elenco referti"), nullptr);
    ExpectLabelsFit(shown);
    ExpectButtonsFit(shown);
    EXPECT_NE(Child<QLabel>(shown, ToQString(documents)), nullptr);
    ASSERT_NE(Child<QPushButton>(shown, "&Conferma"), nullptr);
    WhenShown([](QWidget* box) {
      EXPECT_EQ(ToUtf8(box->findChild<QLabel*>("qt_msgbox_label")->text()),
                "Selezionare un documento valido dall'elenco!");
    });
    Child<QPushButton>(shown, "&Conferma")->click();
    EXPECT_TRUE(shown->isVisible());
  });
  qt_ui_.ShowModal(*form);
  EXPECT_EQ(form->plbGetBundleFile(), "");
}

// The detail window: the text shown, a selection made on screen printed
// through the printer dialog, "Chiudi" ends it.
TEST_F(FormDialogsTest, TheDetailWindowPrintsTheSelectionAndCloses) {
  const std::string pdf = dir_.File("referto.pdf");
  qt_ui_.SetPdfOutput(pdf);
  forms::frmReferto form(qt_context_);
  form.laTitoli(3).SetCaption("Referto di laboratorio");
  controls::AppendRichText(form.RichTextBox1(), "Arial", 10, 0, true, "GLICEMIA 98 mg/dl\r\n");
  WhenShown([&](QWidget* shown) {
    EXPECT_EQ(shown->windowTitle(), "Dettaglio referto");
    EXPECT_EQ(shown->size(), QSize(748, 523));
    EXPECT_NE(Child<QLabel>(shown, "Referto di laboratorio"), nullptr);
    ExpectLabelsFit(shown);
    ExpectButtonsFit(shown);
    auto* text = Child<RichTextView>(shown);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->document()->toPlainText(), "GLICEMIA 98 mg/dl\n");
    QTextCursor cursor(text->document());
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    text->setTextCursor(cursor);
    EXPECT_EQ(form.RichTextBox1().SelText(), "GLICEMIA ");
    bool selection_offered = false;
    WhenShown<QPrintDialog>([&](QPrintDialog* dialog) {
      selection_offered = dialog->printRange() == QAbstractPrintDialog::Selection;
      dialog->accept();
    });
    Child<QPushButton>(shown, "Stampa")->click();
    EXPECT_TRUE(selection_offered);
    EXPECT_TRUE(shown->isVisible());
    Child<QPushButton>(shown, "Chiudi")->click();
    EXPECT_FALSE(shown->isVisible());
  });
  form.ShowModal();
  EXPECT_FALSE(form.IsOpen());
  EXPECT_GT(std::filesystem::file_size(pdf), 0u);
}

// "Opzioni": the browser's folder is shown, "Applica" stores it, "Chiudi"
// ends the dialog.
TEST_F(FormDialogsTest, TheConfigDialogAppliesTheBrowsedFolder) {
  const std::string chosen = dir_.File("referti");
  std::filesystem::create_directory(chosen);
  WhenShown([&](QWidget* shown) {
    EXPECT_EQ(shown->windowTitle(), "Clinora - Referti Lirvo");
    auto* apply = Child<QPushButton>(shown, "Applica");
    ASSERT_NE(apply, nullptr);
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_NE(Child<QLabel>(shown, ToQString(qt_context_->documents_folder)), nullptr);
    ExpectLabelsFit(shown);
    ExpectButtonsFit(shown);
    WhenShown([&](QWidget* browser) {
      EXPECT_EQ(browser->windowTitle(), "Cartella referti");
      auto* files = qobject_cast<QFileDialog*>(browser);
      ASSERT_NE(files, nullptr);
      files->setDirectory(ToQString(chosen));
      static_cast<QDialog*>(files)->accept();
    });
    Child<QPushButton>(shown, "...")->click();
    EXPECT_NE(Child<QLabel>(shown, ToQString(chosen + "/")), nullptr);
    ASSERT_TRUE(apply->isEnabled());
    apply->click();
    EXPECT_EQ(qt_context_->documents_folder, chosen + "/");
    Child<QPushButton>(shown, "Chiudi")->click();
    EXPECT_FALSE(shown->isVisible());
  });
  EXPECT_TRUE(forms::ShowConfigDialog(*qt_context_));
}

}  // namespace
}  // namespace lirvo::qt
