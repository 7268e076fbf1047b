#include "png_faults.h"

#include "png/png_host.h"

namespace {

int allocationsBeforeFailure = -1;
int failBitmaps = 0;

// The planned failure happens once; the allocations after it succeed.
int allocationFails() {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        return 1;
    }
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    return 0;
}

int bitmapCreationFails() {
    return failBitmaps;
}

} // namespace

void pngHostFailAllocationAfter(int count) {
    allocationsBeforeFailure = count;
    pngHostAllocationFails = allocationFails;
}

void pngHostFailBitmapCreation(int fail) {
    failBitmaps = fail;
    pngHostBitmapCreationFails = bitmapCreationFails;
}
