#pragma once
// Runs jobs in worker processes forked from this one, each handed the next
// job as soon as it is free, so that quarters of very different sizes keep
// every worker busy. A job that fails, or whose worker dies, is reported and
// the others go on; a dead worker is replaced. The workers start from this
// process's state at the moment of the call and change nothing in it.
#include <functional>
#include <string>
#include <vector>

namespace tileWorkers {

// Runs in a worker: does job and returns a short text (under 3000 bytes) for
// done; ok false when it failed.
using Work = std::function<std::string(int job, bool& ok)>;
// Runs here, once per job, in the order the jobs finish.
using Done = std::function<void(int job, bool ok, const std::string& text)>;

void run(const std::vector<int>& jobs, int workers, const Work& work, const Done& done);

}  // namespace tileWorkers
