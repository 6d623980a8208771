// A command that runs out of memory ends with the failure status, not with an
// exception out of the program's main.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/AllocationFailure.h"
#include "tools/common/CommandTable.h"
#include "tools/common/ExitStatus.h"

namespace {

TEST(CommandOutOfMemory, EndsWithTheFailureStatus) {
  CCommandTable table("prog", "a test program");
  table.Add("grow", "grow", [](const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    std::vector<std::string> words(args.begin(), args.end());
    words.emplace_back(300, 'w');
    out << words.size();
    return ExitStatus::OK;
  });
  const std::vector<std::string> args = {"grow", "a", "long enough argument to need a block of its own"};
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    std::ostringstream out;
    std::ostringstream err;
    int status = ExitStatus::OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      status = table.Run(args, out, err);
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? ExitStatus::FAILED : ExitStatus::OK, status) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 2u);
}

}  // namespace
