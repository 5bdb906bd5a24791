// GUI tests run inside one QApplication on the X server that tests/with-xvfb.sh started.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/runtime.h"

int main(int argc, char** argv) {
  heartstage::platform::ChooseWindowSystem();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests start the binary afresh rather than forking a process that holds an X connection.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
