#include "app/single_instance.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(InstanceObjectName, PathBecomesAUsableObjectName) {
  struct Case {
    std::string path;
    std::string name;
  } cases[] = {
      {"C:\\PROGRAM FILES\\ZARVENT\\QUORVEL.EXE",
       "Quorvel.Instance.C:/PROGRAM FILES/ZARVENT/QUORVEL.EXE"},
      {"\\\\SERVER\\SHARE\\Q.EXE", "Quorvel.Instance.//SERVER/SHARE/Q.EXE"},
      {"", "Quorvel.Instance."},
  };
  for (const Case& c : cases) EXPECT_EQ(InstanceObjectName(c.path), c.name) << c.path;
}

TEST(InstanceObjectName, LongPathsAreShortenedButStayApart) {
  const std::string tail(300, 'T');
  const std::string a = "C:\\A\\" + tail + "\\QUORVEL.EXE";
  const std::string b = "C:\\B\\" + tail + "\\QUORVEL.EXE";
  for (const std::string& path : {a, b}) {
    const std::string name = InstanceObjectName(path);
    EXPECT_LE(name.size(), kInstanceNameMax);
    EXPECT_EQ(name.find('\\'), std::string::npos);
    EXPECT_EQ(name.substr(name.size() - 12), "/QUORVEL.EXE");
    EXPECT_EQ(InstanceObjectName(path), name);
  }
  EXPECT_NE(InstanceObjectName(a), InstanceObjectName(b));
  // Right at the limit the whole path is kept; one more character shortens it.
  const std::string fits(kInstanceNameMax - 17, 'X');
  EXPECT_EQ(InstanceObjectName(fits), "Quorvel.Instance." + fits);
  EXPECT_EQ(InstanceObjectName(fits + "X").size(), kInstanceNameMax);
  EXPECT_NE(InstanceObjectName(fits + "X"), "Quorvel.Instance." + fits.substr(1) + "X");
}

}  // namespace
}  // namespace quorvel
