// Reliability of the single-instance guard under many starts, kills and ends.
#include "chains.h"

#include <cstdio>
#include <string>
#include <vector>

#include "driver_support.h"

// Many copies at once leave exactly one running. Then, in turns, the running
// copy is killed or ends cleanly: a killed one never blocks the next start,
// and leaves its marker reference behind; every clean end deletes its own,
// so after it only the killed copy's is left.
void SingleInstanceUnderLoad() {
    std::vector<ChildProcess> copies(static_cast<size_t>(Scaled(20, 100)));
    ChildProcess* running = &OneOfCopiesRuns(copies);
    const int turns = Scaled(4, 40);
    std::vector<ChildProcess> next(static_cast<size_t>(turns));
    for (int turn = 0; turn < turns; ++turn) {
        if (turn % 2 == 0) {
            EndProcess(*running);
        } else {
            EndLikeLogoff(*running);
            const int left = DeleteMarkerReferences();
            Check(left == 1, std::to_string(left) + " marker references left after a clean end that followed a kill");
        }
        Launch(next[turn], g_exe);
        WaitForVisibleWindow(next[turn], "WHOIS Lookup");
        running = &next[turn];
    }
    EndLikeLogoff(*running);
    Check(!MarkerPresent(), "marker left after the last clean end");
    std::printf("%zu copies at once: one ran; %d turns of a kill or a clean end, each followed by a start\n",
                copies.size(), turns);
    CheckNothingLeft();
}
