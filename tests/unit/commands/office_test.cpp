// The SELECT that DB検索 runs.
#include <gtest/gtest.h>

#include "commands/office_internal.h"

namespace tama {
namespace {

TEST(OfficeSearch, Statement) {
  EXPECT_EQ(SearchStatement("T", "*", "*"), "SELECT * FROM T;");
  EXPECT_EQ(SearchStatement("T", "*", ""), "SELECT * FROM T;");
  EXPECT_EQ(SearchStatement("T", "a,b", "id=1"), "SELECT a,b FROM T WHERE id=1;");
}

}  // namespace
}  // namespace tama
