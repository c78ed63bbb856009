#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/linux/qt/SingleInstance.hpp"
#include "temp_dir.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

using Role = SingleInstance::Role;

// A second copy claims from a thread of its own, as a process would: the
// first copy's loop has to run to answer it.
std::optional<Role> claimFromAnotherCopy(const QString& path) {
  std::atomic<bool> done{false};
  std::optional<Role> role;
  std::thread copy([&] {
    SingleInstance second(path);
    role = second.claim();
    done = true;
  });
  testing::processEventsUntil([&] { return done.load(); }, std::chrono::seconds(10));
  copy.join();
  return role;
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  tavelin::testing::TempDir folder;
  QString path = QString::fromStdString((folder / "tavelin.socket").string());
};

TEST_F(SingleInstanceTest, ASecondCopyHandsOverToTheFirstWhichReopens) {
  SingleInstance first(path);
  int reopened = 0;
  first.onReopen([&] { ++reopened; });
  ASSERT_EQ(first.claim(), Role::primary);

  EXPECT_EQ(claimFromAnotherCopy(path), Role::secondary);
  EXPECT_EQ(reopened, 1);
  EXPECT_EQ(claimFromAnotherCopy(path), Role::secondary);
  EXPECT_EQ(reopened, 2);

  // Once the first has gone, the next copy is the first.
  first.release();
  SingleInstance next(path);
  EXPECT_EQ(next.claim(), Role::primary);
}

TEST_F(SingleInstanceTest, ASocketLeftBehindByACopyThatDiedIsTakenOver) {
  // Bound and closed without being removed, as after a crash: the file is
  // there and nobody answers on it.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray native = path.toLocal8Bit();
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);

  SingleInstance first(path);
  int reopened = 0;
  first.onReopen([&] { ++reopened; });
  ASSERT_EQ(first.claim(), Role::primary);
  EXPECT_EQ(claimFromAnotherCopy(path), Role::secondary);
  EXPECT_EQ(reopened, 1);
}

}  // namespace
}  // namespace tavelin::app
