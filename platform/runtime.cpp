#include "platform/runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdlib>
#include <memory>

#include "platform/ui_thread.h"
#include "platform/windows.h"

namespace heartstage::platform {
namespace {

std::unique_ptr<QApplication> application;

}  // namespace

void ChooseWindowSystem() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen == nullptr || *chosen == '\0') setenv("QT_QPA_PLATFORM", "xcb", 1);
}

void QtRuntime::Initialise() {
  ChooseWindowSystem();
  static int argument_count = 1;
  static char program_name[] = "heartstage";
  static char* arguments[] = {program_name, nullptr};
  application = std::make_unique<QApplication>(argument_count, arguments);
  // Our windows are tool windows, which Qt does not count; the end of the loop is decided by the windows.
  QApplication::setQuitOnLastWindowClosed(false);
}

bool QtRuntime::AnyWindowOpen() {
  return OpenWindowCount() > 0;
}

void QtRuntime::RunEventLoop() {
  RunEventLoopWhileWindowsAreOpen();
}

bool QtRuntime::OnUserInterfaceThread() {
  return QCoreApplication::instance() == nullptr ||
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

void QtRuntime::RunOnUserInterfaceThread(std::function<void()> work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void QtRuntime::TearDownWindows() {
  // A worker waiting for the user-interface thread must not hold up the ending, nor be served after it.
  CancelWorkerWaits();
  HideAllWindowsForEnding();
}

void QtRuntime::ShowFatalErrorBox(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("heartstage"), QString::fromStdString(message),
                  QMessageBox::Ok, nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace heartstage::platform
