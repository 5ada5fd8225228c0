#pragma once
// Response to a prescribed displacement: the displacement is given, velocity and acceleration
// are its forward differences, and only z is stepped, one explicit step per sample.

#include <cstdint>
#include <span>

#include "model/model_run.h"

namespace quarvel {

// Both passes end early, without their forces, when run.monitor asks them to, and do not start
// once it has (run.cancelled).

// Original pass. `displacement` is 1-based (samples 1..n; index 0 ignored, entries past its
// end read as 0). Sizes and zeroes the arrays of run.history, run.zDot and the index
// histories to 0..n, then: T[j] = (j - 1) * dt, U[j] = displacement[j]; U_DOT[j] =
// (U[j+1] - U[j]) / dt and U_DOT_DOT[j] = (U_DOT[j+1] - U_DOT[j]) / dt for j < n, each with
// entry n = entry n - 1; Z[1] = 0 and for j = 1..n
//   Z_DOT[j] = (U_DOT[j] / Uy) * (A - (beta + gamma * Sgn(U_DOT[j] * Z[j])) * |Z[j]|^n),
//   Z[j+1] = Z[j] + Z_DOT[j] * dt (j < n);
// then Fh[j] = hystereticScale * Z[j], F[j] = postYieldStiffness * U[j] + Fh[j] and
// Fext[j] = m * U_DOT_DOT[j] + F[j] + c * U_DOT[j]. Non-finite values are stored as they come.
// Et and Eh stay zero (ResponseHistory::ComputeEnergies with fromOrigin = false).
void DisplacementControlledResponse(ModelRun& run, std::span<const double> displacement,
                                    int32_t n, double dt);

// Modified pass over the same record: the same T, U, U_DOT, U_DOT_DOT; the
// all-reversal lists emptied, both dominance flags cleared, entry 1 of each index history 1,
// all four reversal points at (initialU, initialZ) with the factor of initialZ; Z[1] = 0. Then
// for j = 1..n-1: the flag release (not AllReversals) with U_DOT[j], Z[j]; the index histories
// carried to j + 1; under AllReversals the list update at j, otherwise from j = 2 on the point
// detection at j; w = ReloadWeight(U[j], U_DOT[j], Z[j]);
//   Z_DOT[j] = (U_DOT[j] / Uy) * (A - (beta + gamma * (Sgn(x) - 2 * UnitStep(x) * w)) *
//              |Z[j]|^n), x = U_DOT[j] * Z[j];
//   Z[j+1] = Z[j] + Z_DOT[j] * dt.
// Z_DOT[n] stays 0; Fh, F and Fext as in the original pass.
//
// The list update at j runs before z of sample j + 1 is stepped, while the working z array
// still holds the original pass's response there: the lists are pruned against
// originalZ[j + 1] (the original pass's Z, indices 0..n; missing entries read as 0). Sample 1,
// which has no sample before it, is never appended (its z is 0, so it could not be anyway).
// A weight evaluation that raises a negative ratio to a non-integer P has no value and keeps
// the previous sample's w (0 before the first).
void DisplacementControlledModifiedResponse(ModelRun& run, std::span<const double> displacement,
                                            int32_t n, double dt, double initialU,
                                            double initialZ, std::span<const double> originalZ);

}  // namespace quarvel
