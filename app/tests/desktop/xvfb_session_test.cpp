#include <gtest/gtest.h>

#include "x11/XvfbSession.hpp"

namespace tavelin::app::testing {
namespace {

TEST(XvfbSession, GivesAManagedDisplayOfItsOwn) {
  XvfbSession session;
  ASSERT_TRUE(session.ok()) << session.reason();
  auto info = session.run({"xdpyinfo"});
  ASSERT_TRUE(info);
  EXPECT_NE(info->find("1440x900 pixels"), std::string::npos);
  EXPECT_NE(session.run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"})->find("window id"), std::string::npos);
}

}  // namespace
}  // namespace tavelin::app::testing
