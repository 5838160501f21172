// The application object of the Qt test program. The tests run without a
// display (CI runs as root on a machine with none), so the platform is the
// offscreen one unless the environment names another. A complaint of
// QAbstractItemModelTester (category "qt.modeltest") fails the running test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

namespace {

QtMessageHandler previous_handler = nullptr;

void FailOnModelTestMessage(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
  if (context.category && std::strcmp(context.category, "qt.modeltest") == 0 &&
      type != QtDebugMsg && type != QtInfoMsg) {
    ADD_FAILURE() << "model tester: " << message.toStdString();
  }
  if (previous_handler) previous_handler(type, context, message);
}

class QtApplication final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    previous_handler = qInstallMessageHandler(FailOnModelTestMessage);
  }
  void TearDown() override {
    qInstallMessageHandler(previous_handler);
    app_.reset();
  }

 private:
  int argc_ = 1;
  char name_[9] = "qt_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
