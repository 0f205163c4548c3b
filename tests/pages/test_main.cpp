// The page tests run inside a QCoreApplication: answers from the serial
// port reach the pages through its event loop, as in the program.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
