// Runs the curl command-line tool, the reference the HTTP benchmarks compare with.
#pragma once

#include <string>
#include <vector>

namespace vorel::test {

// Runs `curl -s -w %{time_total} ARGS...` and returns curl's own time_total in seconds,
// or a negative number when curl could not run or failed.
double CurlToolSeconds(const std::vector<std::string>& args);

}  // namespace vorel::test
