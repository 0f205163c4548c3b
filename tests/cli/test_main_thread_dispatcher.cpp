// Chunks from the reader thread reach DtuCmdRecvProcess on the main thread,
// in arrival order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <string>
#include <thread>
#include <vector>

#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_main_thread_dispatcher.h"
#include "tests/support/sim_link.h"

namespace {

std::vector<std::string> g_values;
std::vector<bool> g_on_main;

void VersionHandler(const char *value, int) {
  g_values.push_back(value);
  g_on_main.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
}

}  // namespace

TEST(MainThreadDispatcher, RunsHandlersOnTheMainThreadInArrivalOrder) {
  DtuCmdDetachAllHandlers();
  g_values.clear();
  g_on_main.clear();
  DtuCmdAttachHandler("version", VersionHandler);
  DtuMainThreadDispatcher dispatcher;
  std::vector<QByteArray> processed;
  QObject::connect(&dispatcher, &DtuMainThreadDispatcher::ChunkProcessed,
                   [&](const QByteArray &chunk) { processed.push_back(chunk); });
  auto dispatch = dispatcher.Dispatcher();
  std::thread reader([&] {
    for (int i = 0; i < 50; ++i) dispatch("version : " + std::to_string(i));
  });
  reader.join();
  EXPECT_TRUE(g_values.empty());  // nothing runs before the event loop does
  QElapsedTimer clock;
  clock.start();
  while (processed.size() < 50 && clock.elapsed() < 5000) QCoreApplication::processEvents();
  ASSERT_EQ(g_values.size(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(g_values[i], std::to_string(i));
    EXPECT_TRUE(g_on_main[i]);
  }
  EXPECT_EQ(processed.back(), QByteArray("version : 49"));
  DtuCmdDetachAllHandlers();
}

TEST(MainThreadDispatcher, PortLostReportArrivesOnTheMainThread) {
  DtuMainThreadDispatcher dispatcher;
  QString lost;
  bool on_main = false;
  QObject::connect(&dispatcher, &DtuMainThreadDispatcher::PortLost, [&](const QString &text) {
    lost = text;
    on_main = QThread::currentThread() == QCoreApplication::instance()->thread();
  });
  auto handler = dispatcher.PortLostHandler();
  std::thread closer([&] { handler("the port was closed: read failed error"); });
  closer.join();
  QElapsedTimer clock;
  clock.start();
  while (lost.isEmpty() && clock.elapsed() < 5000) QCoreApplication::processEvents();
  EXPECT_EQ(lost, QString("the port was closed: read failed error"));
  EXPECT_TRUE(on_main);
}
