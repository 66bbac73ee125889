#pragma once

#include "platform/services.h"
#include "platform/value.h"

// Centroid size and generalised Procrustes superimposition of 3D landmark configurations.
namespace vezedo::shape {

struct Centred {
    platform::Matrix y;  // every column minus its mean
    double cs = 0.0;     // centroid size
};
Centred centsize3D(const platform::Matrix& x);
double centsize3Da(const platform::Matrix& x);

struct Superimposition {
    platform::Matrix mean;         // p x 3, centred, unit centroid size
    platform::LandmarkSet fitted;  // every specimen centred, scaled and rotated onto the reference
};
// Rotation-check reports go to `console`. The specimens are fitted on `threads` threads (0:
// as many as the machine has, for data sets large enough to pay); the result is the same
// to the bit on any number of threads.
Superimposition getpproc3(platform::LandmarkSet data, platform::ConsoleService& console, std::size_t threads = 0);
platform::Matrix partialprocrustes3a(const platform::Matrix& reference, const platform::Matrix& subject,
                                     platform::ConsoleService& console);
platform::Matrix svdrot2(const platform::Matrix& reference, const platform::Matrix& subject);
// The orthogonality check of a fit's 3 x 3 rotation: when (roto' * roto)(1,1), rounded to 5
// decimals, is not 1 it displays stemp, roto and temp on the console. It only reports;
// returns whether the check passed.
bool checkRotation(const platform::Matrix& roto, platform::ConsoleService& console);

}  // namespace vezedo::shape
