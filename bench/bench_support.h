// Generated contact stores for the benchmarks: N realistic cards in the
// Contacts folder of a store under $TMPDIR, made once and reused by later
// runs (the folder's name carries N).
#ifndef OLCONN97_BENCH_BENCH_SUPPORT_H_
#define OLCONN97_BENCH_BENCH_SUPPORT_H_

#include <string>

namespace olconn97::bench {

// The store folder holding `count` generated contacts; builds it when missing.
std::string GeneratedStore(int count);

// The text of generated card number `index` (3.0, three or four numbers).
std::string GeneratedCard(int index);

}  // namespace olconn97::bench

#endif  // OLCONN97_BENCH_BENCH_SUPPORT_H_
